#include "TDoctor64.h"

#include "platform/Exception.h"
#include "platform/FileAccess.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::uint8_t StrobeBit = 0x01;
constexpr std::uint8_t AcknowledgeBit = 0x02;
constexpr std::uint8_t SelectBit = 0x08;
// Received data goes to disk in pieces of this size; a file is never held whole.
constexpr std::size_t WriteChunk = 0x10000;
constexpr std::uint8_t Magic[4] = { 'G', 'D', '6', 'R' };
// How many numbered names (and names for a file being received) are tried before giving up.
constexpr int NameAttempts = 1000;
// Created new, never through a link, never over anything already there.
constexpr int NewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

QString Trimmed(const QByteArray& bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        // Control characters (C0 and C1, which terminals take for escapes) and separators
        // cannot be part of a file name in the folder.
        if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F) || byte == '/' || byte == '\\')
            text += QLatin1Char('_');
        else
            text += QChar(byte);
    }
    return text.trimmed();
}

// The file being received, for a signal handler to remove: the folder's handle (-1 for
// none) is published after the name and withdrawn before it changes.
std::atomic<int> PartFolder = -1;
char PartName[64];

void RemovePartAndEnd(int signal)
{
    const int folder = PartFolder.exchange(-1);
    if (folder >= 0)
        ::unlinkat(folder, PartName, 0);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void PublishPart(int folder, const QByteArray& name)
{
    PartFolder = -1;
    const auto length = std::min<std::size_t>(std::size_t(name.size()), sizeof(PartName) - 1);
    std::memcpy(PartName, name.constData(), length);
    PartName[length] = '\0';
    PartFolder = folder;
}

} // namespace

void TDoctor64::RemovePartOnInterrupt()
{
    for (const int signal : { SIGINT, SIGTERM }) {
        struct sigaction action
        {
        };
        action.sa_handler = RemovePartAndEnd;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

TDoctor64::TDoctor64(const QString& outputFolder, std::uint16_t baseAddress)
    : FOutputFolder(outputFolder)
    , FBase(baseAddress)
    , FBuffer(WriteChunk)
{
}

TDoctor64::~TDoctor64()
{
    DropFile(false);
}

QString TDoctor64::FileNameFor(const QByteArray& field)
{
    const QString base = Trimmed(field.left(8));
    const QString extension = Trimmed(field.mid(8, 3));
    QString name = extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
    if (name.isEmpty())
        return QStringLiteral("NONAME");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill(QLatin1Char('_'));
    return name;
}

std::vector<std::uint16_t> TDoctor64::AddressesSeen() const
{
    std::vector<std::uint16_t> seen;
    for (std::size_t address = 0; address < FSeen.size(); ++address) {
        if (FSeen.test(address))
            seen.push_back(static_cast<std::uint16_t>(address));
    }
    return seen;
}

std::uint8_t TDoctor64::Read(std::uint16_t address)
{
    ++FReads;
    FSeen.set(address);
    if (address == FBase + 2) {
        if (FAbsent)
            return FControl;
        if (FAckPending) {
            if (FAckCountdown == 0) {
                FAcknowledge = FStrobe;
                FAckPending = false;
            } else {
                --FAckCountdown;
            }
        }
        return static_cast<std::uint8_t>((FControl & ~(AcknowledgeBit | SelectBit))
            | (FAcknowledge ? AcknowledgeBit : 0) | (FSelect ? SelectBit : 0));
    }
    if (address == FBase)
        return FData;
    if (address == FBase + 1)
        return 0;
    // No port hardware at this address: the bus floats high.
    return 0xFF;
}

void TDoctor64::Write(std::uint16_t address, std::uint8_t value)
{
    ++FWrites;
    FSeen.set(address);
    if (address == FBase)
        FData = value;
    else if (address == FBase + 2)
        WriteControl(value);
}

void TDoctor64::WriteControl(std::uint8_t value)
{
    FControl = value;
    if (FAbsent || FIgnoreHandshake)
        return;
    // Holding select up keeps the very first wait (step 3) from ever seeing it clear.
    if (FHandshakeStall == 3) {
        FSelect = true;
        return;
    }
    // Whatever the device was doing, this opens a new delivery; an aborted one must never
    // keep the next from getting through.
    if (value == 0 && FData == 0xAA) {
        if (FHandshakeStall != 6)
            BeginHandshake();
        return;
    }
    switch (FHandshake) {
    case hsIdle:
        break;
    case hsFirstHigh:
        if (value == 4 && FHandshakeStall != 8) {
            FSelect = false;
            FHandshake = hsFirstLow;
        }
        break;
    case hsFirstLow:
        if (value == 0 && FData == 0x55 && FHandshakeStall != 11) {
            FSelect = true;
            FHandshake = hsSecondHigh;
        }
        break;
    case hsSecondHigh:
        if (value == 4 && FHandshakeStall != 13) {
            FSelect = false;
            FAcknowledge = false;
            FAckPending = false;
            FStrobe = false;
            FHandshake = hsStreaming;
            ++FHandshakes;
            FStream = ssMagic;
            FFieldFill = 0;
            FStreamBytes = 0;
            FTrailing = 0;
            FAnnounced = -1;
            FStreamFiles = FFiles.size();
            FStreamError.clear();
        }
        break;
    case hsStreaming:
        if (static_cast<bool>(value & StrobeBit) != FStrobe) {
            FStrobe = !FStrobe;
            Latch(FData);
        }
        break;
    }
}

void TDoctor64::BeginHandshake()
{
    DropFile(true);
    FHandshake = hsFirstHigh;
    FSelect = true;
    FAcknowledge = false;
    FAckPending = false;
}

void TDoctor64::Latch(std::uint8_t byte)
{
    if (FStallAfter >= 0 && FStreamBytes >= static_cast<std::uint64_t>(FStallAfter))
        return;
    ++FStreamBytes;
    if (FLatency == 0) {
        FAcknowledge = FStrobe;
    } else {
        FAckPending = true;
        FAckCountdown = FLatency;
    }
    Decode(byte);
}

void TDoctor64::Decode(std::uint8_t byte)
{
    switch (FStream) {
    case ssMagic:
        FField[static_cast<std::size_t>(FFieldFill++)] = byte;
        if (FFieldFill == 4) {
            FFieldFill = 0;
            if (std::memcmp(FField.data(), Magic, 4) == 0) {
                FStream = ssCount;
            } else {
                FStreamError = QStringLiteral("The stream does not start with GD6R");
                FStream = ssTrailing;
                FTrailing += 4;
            }
        }
        break;
    case ssCount:
        FFilesLeft = byte;
        FAnnounced = byte;
        FStream = FFilesLeft == 0 ? ssTrailing : ssSize;
        break;
    case ssSize:
        FField[static_cast<std::size_t>(FFieldFill++)] = byte;
        if (FFieldFill == 4) {
            FFieldFill = 0;
            FSize = static_cast<std::uint32_t>(FField[0])
                | static_cast<std::uint32_t>(FField[1]) << 8
                | static_cast<std::uint32_t>(FField[2]) << 16
                | static_cast<std::uint32_t>(FField[3]) << 24;
            FStream = ssName;
        }
        break;
    case ssName:
        FField[static_cast<std::size_t>(FFieldFill++)] = byte;
        if (FFieldFill == 11) {
            FFieldFill = 0;
            OpenFile();
            if (FSize == 0)
                FinishFile();
            else
                FStream = ssData;
        }
        break;
    case ssData:
        FBuffer[FBufferFill++] = static_cast<char>(byte);
        ++FReceived;
        if (FBufferFill == FBuffer.size())
            FlushData();
        if (FReceived == FSize)
            FinishFile();
        break;
    case ssTrailing:
        ++FTrailing;
        break;
    }
}

void TDoctor64::OpenFile()
{
    FFileName = FileNameFor(
        QByteArray(reinterpret_cast<const char*>(FField.data()), static_cast<qsizetype>(11)));
    FReceived = 0;
    FBufferFill = 0;
    MakeFolders(FOutputFolder);
    FFolderHandle
        = ::open(EncodeRawText(FOutputFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int error = errno;
    for (int attempt = 0; FFolderHandle >= 0 && attempt < NameAttempts; ++attempt) {
        FPartName = QByteArray(".receiving-") + QByteArray::number(::getpid()) + '-'
            + QByteArray::number(attempt);
        // Published before it is made, so that a signal can never fall between the file's
        // making and its publishing; the name holds this process's number, so at worst a
        // signal removes a half file a dead process of that number left.
        PublishPart(FFolderHandle, FPartName);
        FFileHandle = ::openat(FFolderHandle, FPartName.constData(), NewFileFlags, 0644);
        error = errno;
        if (FFileHandle >= 0 || error != EEXIST)
            break;
    }
    if (FFileHandle < 0) {
        PartFolder = -1;
        CloseFile();
        FStream = ssTrailing;
        throw Exception(QStringLiteral("The simulator cannot store %1 in %2: %3")
                            .arg(FFileName, FOutputFolder, SystemErrorMessage(error)));
    }
}

void TDoctor64::FlushData()
{
    std::size_t written = 0;
    while (written < FBufferFill) {
        const ssize_t done = ::write(FFileHandle, FBuffer.data() + written, FBufferFill - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            const QString reason = SystemErrorMessage(done < 0 ? errno : ENOSPC);
            DropFile(true);
            FStream = ssTrailing;
            throw Exception(
                QStringLiteral("The simulator cannot write %1: %2").arg(FFileName, reason));
        }
        written += static_cast<std::size_t>(done);
    }
    FBufferFill = 0;
}

void TDoctor64::StoreUnderFreeName()
{
    const QString wanted = FFileName;
    for (int number = 1; number <= NameAttempts; ++number) {
        const QString name
            = number == 1 ? wanted : wanted + QLatin1Char('.') + QString::number(number);
        const QByteArray bytes = QFile::encodeName(name);
        // The rename neither follows nor replaces what has the name already.
        if (::renameat2(FFolderHandle, FPartName.constData(), FFolderHandle, bytes.constData(),
                RENAME_NOREPLACE)
            == 0) {
            PartFolder = -1;
            FFileName = name;
            FPartName.clear();
            return;
        }
        if (errno == EINVAL || errno == ENOSYS) {
            // A file system without that rename: a new link fails alike on a taken name.
            if (::linkat(FFolderHandle, FPartName.constData(), FFolderHandle, bytes.constData(), 0)
                == 0) {
                FFileName = name;
                return; // the part name goes with the folder handle
            }
        }
        if (errno != EEXIST)
            throw Exception(QStringLiteral("The simulator cannot write %1: %2")
                                .arg(name, SystemErrorMessage(errno)));
    }
    throw Exception(QStringLiteral("The simulator cannot write %1: %2")
                        .arg(wanted, SystemErrorMessage(EEXIST)));
}

void TDoctor64::FinishFile()
{
    FlushData();
    try {
        if (::close(std::exchange(FFileHandle, -1)) != 0)
            throw Exception(QStringLiteral("The simulator cannot write %1: %2")
                                .arg(FFileName, SystemErrorMessage(errno)));
        StoreUnderFreeName();
    } catch (const Exception&) {
        CloseFile();
        FileEnded(false);
        FStream = ssTrailing;
        throw;
    }
    CloseFile();
    FileEnded(true);
    FStream = --FFilesLeft > 0 ? ssSize : ssTrailing;
}

void TDoctor64::CloseFile() noexcept
{
    if (PartFolder == FFolderHandle)
        PartFolder = -1;
    if (FFileHandle >= 0)
        ::close(std::exchange(FFileHandle, -1));
    if (FFolderHandle >= 0) {
        if (!FPartName.isEmpty())
            ::unlinkat(FFolderHandle, FPartName.constData(), 0);
        ::close(std::exchange(FFolderHandle, -1));
    }
    FPartName.clear();
}

void TDoctor64::DropFile(bool report)
{
    if (FFolderHandle < 0)
        return;
    CloseFile();
    FBufferFill = 0;
    if (report)
        FileEnded(false);
}

void TDoctor64::FileEnded(bool complete)
{
    FFiles.push_back(TReceivedFile { FFileName, FSize, FReceived, complete });
    if (FOnFileEnded)
        FOnFileEnded(FFiles.back());
}

void TDoctor64::EndStream()
{
    DropFile(true);
    FStream = ssTrailing;
}

QStringList TDoctor64::StreamFaults() const
{
    QStringList faults;
    if (!FStreamError.isEmpty())
        return { FStreamError };
    // A handshake and not one byte after it is how a probe looks for the device.
    if (FAnnounced < 0 && FStreamBytes == 0)
        return {};
    if (FAnnounced < 0)
        return {
            QStringLiteral("The stream ended inside its command block (%1 bytes)").arg(FStreamBytes)
        };
    int whole = 0;
    for (std::size_t i = FStreamFiles; i < FFiles.size(); ++i) {
        const TReceivedFile& file = FFiles[i];
        if (file.Complete)
            ++whole;
        else
            faults << QStringLiteral("%1 did not arrive whole: %2 of %3 bytes")
                          .arg(file.Name)
                          .arg(file.ReceivedBytes)
                          .arg(file.DeclaredSize);
    }
    if (FFileHandle >= 0)
        faults << QStringLiteral("%1 did not arrive whole: %2 of %3 bytes")
                      .arg(FFileName)
                      .arg(FReceived)
                      .arg(FSize);
    if (whole != FAnnounced)
        faults << QStringLiteral("The stream announced %1 file%2 but %3 arrived whole")
                      .arg(FAnnounced)
                      .arg(FAnnounced == 1 ? "" : "s")
                      .arg(whole);
    if (FTrailing > 0)
        faults << QStringLiteral("%1 byte%2 came after the announced files")
                      .arg(FTrailing)
                      .arg(FTrailing == 1 ? "" : "s");
    return faults;
}
