#include "TGameDoctor.h"

#include "device/EPortTimeout.h"
#include "image/TImageReader.h"
#include "platform/EFOpenError.h"
#include "platform/EReadError.h"
#include "platform/RawText.h"
#include "platform/UpperCase.h"
#include "platform/port/EPortSilent.h"
#include "platform/port/THardwarePortIo.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr std::uint8_t SelectMask = 8;
constexpr std::uint8_t AcknowledgeMask = 2;
constexpr std::uint8_t StrobeMask = 1;
constexpr std::uint8_t ControlLow = 4;
constexpr std::uint8_t ControlHigh = 5;
constexpr int MaxDeviceName = 30;
constexpr int MinDeviceName = 11;
constexpr int MinBase = 8;
constexpr int MaxExtension = 12;
constexpr int ShortBase = 8;
constexpr int ShortExtension = 3;
constexpr int TextBufferSize = 256;

// Whether the device can show a Windows-1252 byte: not a control character, not one of the
// five bytes the code page leaves undefined.
bool IsPrintableWindows1252(int byte)
{
    constexpr std::array<int, 5> undefined { 0x81, 0x8D, 0x8F, 0x90, 0x9D };
    return byte >= 0x20 && byte != 0x7F && byte <= 0xFF
        && std::find(undefined.begin(), undefined.end(), byte) == undefined.end();
}

// The file's name without its folders, one byte a character, ASCII letters in upper case.
// On Linux only '/' separates folders: ':' and '\\' are ordinary characters of a name. The
// device's name field holds Windows-1252: a character of the name that the code page holds
// goes out as its byte, a byte of a name that is not UTF-8 as itself (the old collections are
// Latin-1, which the code page agrees with), anything else as "_", one for each character, so
// that no UTF-8 sequence ever reaches the device as bytes of their own.
QByteArray UpperCaseName(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    QByteArray field;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        int byte = -1;
        if (c >= 0xDC80 && c <= 0xDCFF)
            byte = int(c - 0xDC00);
        else if (QChar::isHighSurrogate(c) && i + 1 < name.size()
            && name.at(i + 1).isLowSurrogate())
            ++i; // a character beyond the code page, in two halves
        else if (!QChar::isSurrogate(c))
            byte = Windows1252Byte(c);
        if (!IsPrintableWindows1252(byte))
            byte = '_';
        if (byte >= 'a' && byte <= 'z')
            byte = byte - 'a' + 'A';
        field.append(static_cast<char>(byte));
    }
    return field;
}

// The field as it has always been built: up to 30 bytes, the whole base and up to 12
// characters after the first dot.
QByteArray ClassicDeviceName(const QString& path)
{
    const QByteArray name = UpperCaseName(path);

    const qsizetype dot = name.indexOf('.');
    QByteArray field = dot < 0 ? name : name.left(dot);
    field.truncate(MaxDeviceName);
    while (field.size() < MinBase)
        field.append(' ');
    if (dot >= 0) {
        field.append(name.mid(dot + 1, MaxExtension));
        field.truncate(MaxDeviceName);
    }
    while (field.size() < MinDeviceName)
        field.append(' ');
    return field;
}

// The 8 + 3 field for a name that does not fit: base before the last dot and extension
// after it, each cut and padded.
QByteArray ShortDeviceName(const QString& path)
{
    const QByteArray name = UpperCaseName(path);
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray base = dot < 0 ? name : name.left(dot);
    const QByteArray extension = dot < 0 ? QByteArray() : name.mid(dot + 1);
    return base.leftJustified(ShortBase, ' ', true)
        + extension.leftJustified(ShortExtension, ' ', true);
}

// The size field is a signed 32-bit number; a larger file would announce a wrong size and
// the device would take the rest of the stream for something else.
void CheckSizeFits(const QString& path, qint64 size)
{
    if (size > std::numeric_limits<std::int32_t>::max())
        throw Exception(QStringLiteral("File too large to send: %1 (%2 bytes; at most %3)")
                            .arg(path)
                            .arg(size)
                            .arg(std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::unique_ptr<TImageReader> TGameDoctor::CheckFile(const QString& path)
{
    auto reader = std::make_unique<TImageReader>(path);
    CheckSizeFits(path, reader->Size());
    if (!reader->WholeWords())
        throw Exception(reader->PartialWordMessage());
    return reader;
}

TGameDoctor::TGameDoctor(QObject* owner)
    : QObject(owner)
    , FHardware(std::make_unique<THardwarePortIo>())
    , FPortIo(FHardware.get())
    , FBlock(std::make_unique<std::uint8_t[]>(BlockSize))
{
}

TGameDoctor::~TGameDoctor() = default;

void TGameDoctor::SetPort(TParallelPort port)
{
    FPort = port;
    if (port == ppLPT1) {
        FPortAddress = LPT1Address;
        FByAddress = false;
    } else if (port == ppLPT2) {
        FPortAddress = LPT2Address;
        FByAddress = false;
    }
}

void TGameDoctor::SetPortAddress(std::uint16_t address)
{
    FPortAddress = address;
    FByAddress = true;
}

void TGameDoctor::SetPortIo(TPortIo* port)
{
    FPortIo = port ? port : FHardware.get();
}

void TGameDoctor::SetPortChoice(const TPortChoice& choice)
{
    if (choice.Address)
        SetPortAddress(*choice.Address);
    else
        SetPort(choice.Port);
}

QString TGameDoctor::TimeoutText(TParallelPort port)
{
    return TPortChoice { port, std::nullopt }.TimeoutText();
}

QString TGameDoctor::TimeoutTextAt(std::uint16_t address)
{
    return TPortChoice::ForBase(address).TimeoutText();
}

void TGameDoctor::TimedOut()
{
    if (FOnTimeout)
        FOnTimeout();
    throw EPortTimeout(TimeoutTextAt(ActiveAddress()));
}

void TGameDoctor::StartHandshake()
{
    enum TStepKind : std::uint8_t
    {
        skData,
        skControl,
        skWaitClear,
        skWaitSet,
    };
    struct TStep
    {
        TStepKind Kind;
        std::uint8_t Value; // the value written, or the mask waited on
    };
    static constexpr TStep Steps[] = {
        { skData, 0 },
        { skControl, ControlLow },
        { skWaitClear, SelectMask },
        { skData, 0xAA },
        { skControl, 0 },
        { skWaitSet, SelectMask },
        { skControl, ControlLow },
        { skWaitClear, SelectMask },
        { skData, 0x55 },
        { skControl, 0 },
        { skWaitSet, SelectMask },
        { skControl, ControlLow },
        { skWaitClear, SelectMask },
    };
    const std::uint16_t data = ActiveAddress();
    const std::uint16_t control = data + 2;
    FHandshakeStep = 0;
    for (const TStep& step : Steps) {
        ++FHandshakeStep;
        switch (step.Kind) {
        case skData:
            WritePort(data, step.Value);
            break;
        case skControl:
            WritePort(control, step.Value);
            break;
        case skWaitClear:
            WaitBitClear(control, step.Value, WaitLimit);
            break;
        case skWaitSet:
            WaitBitSet(control, step.Value, WaitLimit);
            break;
        }
    }
}

void TGameDoctor::SendBytes(const std::uint8_t* buffer, std::int32_t count)
{
    const std::uint16_t data = ActiveAddress();
    const std::uint16_t control = data + 2;
    // This loop is the transfer's hot path, so it reads and writes through a port held in
    // a register (what ReadPort and WritePort do, without reloading it for every access)
    // and runs both halves of the exchange through one path: before each byte it waits
    // until bit 1 reads as the strobe bit written last (WaitBitClear(control, 2) in the
    // low phase, WaitBitSet(control, 2) in the high one), then puts the byte on the data
    // register and flips the strobe.
    TPortIo* const port = FPortIo;
    // The phase lives in the control register, so consecutive calls carry on the
    // alternation where the previous one stopped.
    bool high = port->Read(control) & StrobeMask;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t answer = high ? AcknowledgeMask : 0;
        std::int32_t reads = WaitLimit;
        while ((port->Read(control) & AcknowledgeMask) != answer) {
            if (--reads == 0)
                TimedOut();
        }
        port->Write(data, buffer[i]);
        port->Write(control, high ? ControlLow : ControlHigh);
        high = !high;
    }
}

void TGameDoctor::SendText(const QByteArray& text)
{
    std::array<std::uint8_t, TextBufferSize> buffer {};
    const auto count = std::min<qsizetype>(text.size(), TextBufferSize - 1);
    std::memcpy(buffer.data(), text.constData(), static_cast<std::size_t>(count));
    SendBytes(buffer.data(), static_cast<std::int32_t>(count));
}

void TGameDoctor::SendInteger(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    const std::array<std::uint8_t, 4> buffer = {
        static_cast<std::uint8_t>(bits),
        static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16),
        static_cast<std::uint8_t>(bits >> 24),
    };
    SendBytes(buffer.data(), static_cast<std::int32_t>(buffer.size()));
}

void TGameDoctor::SendFileHeader(std::int32_t size, const QByteArray& name)
{
    SendInteger(size);
    QByteArray padded = name;
    while (padded.size() < MinDeviceName)
        padded.append(' ');
    SendText(padded);
}

QByteArray TGameDoctor::FormatDeviceName(const QString& path)
{
    // The device reads exactly 11 bytes for the name: a longer field would shift the rest
    // of the stream, so such a name goes out in its 8 + 3 form.
    QByteArray field = ClassicDeviceName(path);
    if (field.size() > MinDeviceName)
        field = ShortDeviceName(path);
    return field;
}

void TGameDoctor::Report(TGameDoctorAction action, const QString& fileName, std::uint8_t fileNumber,
    std::uint8_t progress)
{
    if (FOnProgress)
        FOnProgress(action, fileName, fileNumber, progress);
}

void TGameDoctor::SendFile(const QString& fileName)
{
    SendFiles(QStringList { fileName });
}

TGameDoctor::TCheckedFiles TGameDoctor::CheckFiles(const QStringList& fileNames)
{
    // Every file is opened here, once. One that cannot be opened is left to the transfer,
    // which stops at it as it always has; anything else that could not go out whole is
    // refused before the port is touched.
    TCheckedFiles files;
    files.Paths = fileNames;
    files.OpenErrors.resize(std::size_t(fileNames.size()));
    files.Readers.reserve(std::size_t(fileNames.size()));
    for (const QString& path : fileNames) {
        try {
            files.Readers.push_back(CheckFile(path));
        } catch (const EFOpenError&) {
            files.OpenErrors[files.Readers.size()] = std::current_exception();
            files.Readers.push_back(nullptr);
        }
    }
    return files;
}

void TGameDoctor::SendFiles(const QStringList& fileNames)
{
    if (!fileNames.isEmpty())
        SendCheckedFiles(CheckFiles(fileNames));
}

void TGameDoctor::SendCheckedFiles(TCheckedFiles files)
{
    const QStringList& fileNames = files.Paths;
    if (fileNames.isEmpty())
        return;
    const std::vector<std::unique_ptr<TImageReader>>& readers = files.Readers;
    const std::vector<std::exception_ptr>& openErrors = files.OpenErrors;
    FSentBytes = 0;
    Report(gaConnecting, fileNames.first(), 1, 0);
    FTransferAddress = FPortAddress;
    const QScopedValueRollback inTransfer(FInTransfer, true);
    // The port is claimed (on the real hardware) before the handshake and given back on
    // every path out, after the last bytes have gone.
    FPortIo->Begin(FTransferAddress);
    const auto release = qScopeGuard([this] { FPortIo->End(); });
    try {
        try {
            StartHandshake();
            Report(gaConnected, fileNames.first(), 1, 0);
            QByteArray command("GD6R");
            command.append(static_cast<char>(fileNames.size() & 0xFF));
            SendText(command);
            for (std::size_t i = 0; i < readers.size(); ++i) {
                if (!readers[i])
                    std::rethrow_exception(openErrors[i]);
                SendOneFile(*readers[i], static_cast<std::uint8_t>((i + 1) & 0xFF));
            }
        } catch (const EPortSilent&) {
            // A port that stops answering altogether is a device that stops answering.
            TimedOut();
        }
    } catch (...) {
        // Whatever reached the port before the failure still goes out; a second failure
        // while doing so must not hide the first.
        try {
            FPortIo->Flush();
        } catch (...) {
        }
        throw;
    }
    FPortIo->Flush();
}

void TGameDoctor::SendOneFile(TImageReader& reader, std::uint8_t fileNumber)
{
    // Any image goes out in the device's order, converted block by block in the one buffer;
    // any other file goes out as it is. The size is the one the check saw.
    const QString& path = reader.Path();
    const qint64 size = reader.Size();
    // The image's own name: for an archive's member, the member's.
    SendFileHeader(static_cast<std::int32_t>(size), FormatDeviceName(reader.ImageName()));

    qint64 position = 0;
    while (position < size) {
        // Never more than the announced size, even if the file grows meanwhile.
        const qint64 wanted = std::min<qint64>(BlockSize, size - position);
        const qint64 got = reader.Read(FBlock.get(), wanted);
        // A file that shrank would otherwise keep the loop here for ever.
        if (got <= 0)
            throw EReadError(path,
                QStringLiteral("the file ended after %1 of the %2 bytes announced to the device")
                    .arg(position)
                    .arg(size));
        SendBytes(FBlock.get(), static_cast<std::int32_t>(got));
        position += got;
        FSentBytes += static_cast<std::uint64_t>(got);
        const double percent = static_cast<double>(position) / static_cast<double>(size) * 100.0;
        Report(gaSending, path, fileNumber, static_cast<std::uint8_t>(percent));
    }
    // The device holds what was announced, but not what the file holds: not a delivery.
    if (!reader.AtEnd())
        throw EReadError(path,
            QStringLiteral("the file holds more than the %1 bytes announced to the device")
                .arg(size));
}
