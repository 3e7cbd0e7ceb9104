#include "TImageSource.h"

#include "platform/EFOpenError.h"
#include "platform/EReadError.h"
#include "platform/RawText.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

constexpr std::size_t ArchiveBlockSize = 65536;
// What a listing of a zip hands the archive reader at a time: a local header and the start
// of the data. The zip reader inflates all the input it has (into a buffer of 256 KiB): given
// 64 KiB, it would inflate a hundred times what a header needs, for every zip of a folder.
constexpr std::size_t ZipListingBlockSize = 512;
// What libarchive reports for a file no reader recognises (its ARCHIVE_ERRNO_FILE_FORMAT on
// a system without EFTYPE).
constexpr int FileFormatErrno = EILSEQ;
// From linux/magic.h: the file systems whose files are made up as they are read.
constexpr long ProcSuperMagic = 0x9fa0;
constexpr long SysfsMagic = 0x62656572;

bool IsRegularFile(const QString& path)
{
    struct stat status
    {
    };
    return ::stat(EncodeRawText(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

bool HasSevenZipSignature(int handle)
{
    char signature[6];
    return ::pread(handle, signature, sizeof signature, 0) == qint64(sizeof signature)
        && std::equal(signature, signature + sizeof signature, "7z\xBC\xAF\x27\x1C");
}

bool HasZipSignature(int handle)
{
    char signature[4];
    return ::pread(handle, signature, sizeof signature, 0) == qint64(sizeof signature)
        && std::equal(signature, signature + sizeof signature, "PK\x03\x04");
}

QString BaseName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TImageSource::TImageSource(const QString& file, const QString& member)
    : TImageSource(file, member, slChoose)
{
}

TImageSource::TImageSource(const QString& file, const QString& member, TSelection selection)
    : FFile(file)
    , FWanted(member)
{
    // Without blocking: opening a FIFO would wait for a writer that may never come.
    FHandle = ::open(EncodeRawText(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (FHandle < 0)
        throw EFOpenError(file, errno);
    try {
        struct stat status
        {
        };
        if (::fstat(FHandle, &status) != 0)
            throw EFOpenError(file, errno);
        if (!S_ISREG(status.st_mode))
            throw Exception(QStringLiteral("Not a regular file: %1").arg(file));
        struct statfs volume
        {
        };
        if (::fstatfs(FHandle, &volume) != 0)
            throw EFOpenError(file, errno);
        if (volume.f_type == ProcSuperMagic || volume.f_type == SysfsMagic)
            throw Exception(QStringLiteral("Not a file that can be sent: %1 is on /proc or /sys, "
                                           "where a file's size says nothing of what it holds")
                                .arg(file));
        FStatedSize = status.st_size;
        if (selection != slNone)
            Select(selection == slChoose);
    } catch (...) {
        CloseArchive();
        ::close(FHandle);
        throw;
    }
}

TImageSource::~TImageSource()
{
    CloseArchive();
    ::close(FHandle);
}

QString TImageSource::ImageName() const
{
    if (!FMember.isEmpty())
        return BaseName(FMember);
    const QString name = BaseName(FFile);
    if (!FCompressedFile)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

bool TImageSource::OpenArchive()
{
    if (::lseek(FHandle, 0, SEEK_SET) < 0)
        throw EReadError(FFile, errno);
    FArchive = archive_read_new();
    if (!FArchive)
        throw EReadError(FFile, ENOMEM);
    const bool listingZip = FListing && HasZipSignature(FHandle);
    if (listingZip) {
        // A listing of a folder of zips pays for no other reader's bid, and for no search
        // of the central directory from the end: the local headers, read in order, say
        // everything a listing needs.
        archive_read_support_format_zip_streamable(FArchive);
    } else {
        archive_read_support_format_zip(FArchive);
        archive_read_support_format_7zip(FArchive);
        archive_read_support_format_raw(FArchive);
        archive_read_support_filter_all(FArchive);
    }
    FFormatKnown = false;
    if (archive_read_open_fd(FArchive, FHandle, listingZip ? ZipListingBlockSize : ArchiveBlockSize)
        != ARCHIVE_OK) {
        // Neither an archive nor compressed (the raw reader passes on tiny and empty files):
        // a plain file, unless its name says it is an archive, which is then damaged.
        if (archive_errno(FArchive) == FileFormatErrno && !FFile.isEmpty()
            && !HasArchiveExtension(FFile)) {
            CloseArchive();
            return false;
        }
        ArchiveFailed();
    }
    FFormatKnown = true;
    return true;
}

void TImageSource::CloseArchive()
{
    FInFile = false;
    if (FArchive) {
        archive_read_free(FArchive);
        FArchive = nullptr;
    }
}

void TImageSource::ArchiveFailed()
{
    // A password the reader was not given shows as a failed read of the headers or the data.
    // (Asked only of an archive whose format was recognised: libarchive has no answer before.)
    if (FArchive && FFormatKnown && archive_read_has_encrypted_entries(FArchive) > 0) {
        FEncrypted = true;
        throw EReadError(FFile, QStringLiteral("encrypted archive"));
    }
    const char* text = FArchive ? archive_error_string(FArchive) : nullptr;
    QString reason = text && *text
        ? QStringLiteral("damaged archive (%1)").arg(QString::fromLocal8Bit(text))
        : QStringLiteral("damaged archive");
    // Of an archive of several images the user must learn which one is lost.
    if (FInFile && !FMember.isEmpty())
        reason += QStringLiteral(" while reading %1").arg(FMember);
    throw EReadError(FFile, reason);
}

void TImageSource::DrainSevenZipFile()
{
    // libarchive before 3.7.5 loses its place in a 7z when it skips a file whose size is a
    // whole number of 64 KiB, as an image's always is, and then reports the next file
    // truncated. Reading the file through costs what its skip would in a solid archive.
    if (!FDrainSevenZip || archive_format(FArchive) != ARCHIVE_FORMAT_7ZIP)
        return;
    std::vector<char> block(ArchiveBlockSize);
    for (;;) {
        const la_ssize_t step = archive_read_data(FArchive, block.data(), block.size());
        if (step == 0)
            return;
        if (step < 0)
            ArchiveFailed();
    }
}

bool TImageSource::NextFile(QString* name)
{
    for (;;) {
        archive_entry* entry = nullptr;
        if (FInFile)
            DrainSevenZipFile();
        const int result = archive_read_next_header(FArchive, &entry);
        FInFile = result >= ARCHIVE_WARN;
        if (result == ARCHIVE_EOF)
            return false;
        if (result < ARCHIVE_WARN)
            ArchiveFailed();
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue;
        if (archive_entry_is_encrypted(entry)) {
            FEncrypted = true;
            throw EReadError(FFile, QStringLiteral("encrypted archive"));
        }
        const char* path = archive_entry_pathname(entry);
        *name = path ? DecodeRawText(QByteArray(path)) : QString();
        if (archive_entry_size_is_set(entry))
            FStatedSize = archive_entry_size(entry);
        else
            FStatedSize.reset();
        return true;
    }
}

void TImageSource::Select(bool choose)
{
    if (!OpenArchive()) {
        if (::lseek(FHandle, 0, SEEK_SET) < 0)
            throw EReadError(FFile, errno);
        return;
    }
    QString name;
    if (!NextFile(&name)) {
        // Nothing at all: an empty zip or 7z. Read as the plain file it is.
        CloseArchive();
        return;
    }
    if (archive_format(FArchive) == ARCHIVE_FORMAT_RAW) {
        // The raw reader takes any file; only one behind a compression filter is an archive.
        if (archive_filter_code(FArchive, 0) == ARCHIVE_FILTER_NONE) {
            // A file named as an archive but holding none is a damaged one: sent as it is,
            // its bytes would reach the device as an image of garbage.
            if (HasArchiveExtension(FFile))
                throw EReadError(FFile, QStringLiteral("damaged archive"));
            CloseArchive();
            struct stat status
            {
            };
            if (::fstat(FHandle, &status) != 0)
                throw EReadError(FFile, errno);
            FStatedSize = status.st_size;
            if (::lseek(FHandle, 0, SEEK_SET) < 0)
                throw EReadError(FFile, errno);
            return;
        }
        FCompressedFile = true;
        FGzip = archive_filter_code(FArchive, 0) == ARCHIVE_FILTER_GZIP;
        FStatedSize.reset();
        if (FGzip) {
            std::uint32_t crc = 0;
            std::uint32_t length = 0;
            ReadGzipTrailer(&crc, &length);
            FStatedSize = length;
        }
        return;
    }
    if (!choose) {
        FMember = name;
        return;
    }
    if (FWanted.isEmpty()) {
        QString first = name;
        std::optional<qint64> size = FStatedSize;
        QString other;
        if (NextFile(&other)) {
            // Several files: an archive of one image and its notes is that image, as its
            // row in the catalogue says; of several images, the user chooses.
            CloseArchive();
            const TArchiveContents contents = ListContents();
            FListing = false;
            FDrainSevenZip = true;
            QStringList images;
            for (const TArchiveMember& member : contents.Members) {
                if (member.Header.IsImage())
                    images << member.Path;
            }
            if (contents.State == asEncrypted || contents.State == asDamaged) {
                FEncrypted = contents.State == asEncrypted;
                const QString prefix = QStringLiteral("Read error on %1: ").arg(FFile);
                throw EReadError(FFile,
                    contents.Reason.startsWith(prefix) ? contents.Reason.mid(prefix.size())
                                                       : QStringLiteral("damaged archive"));
            }
            if (images.size() != 1) {
                QStringList names = images;
                if (names.isEmpty()) {
                    for (const TArchiveMember& member : contents.Members)
                        names << member.Path;
                }
                throw EReadError(FFile,
                    QStringLiteral("the archive holds several files; name one of: %1")
                        .arg(names.join(QStringLiteral(", "))));
            }
            first = images.constFirst();
            size.reset();
            for (const TArchiveMember& member : contents.Members) {
                if (member.Path == first)
                    size = member.Size;
            }
        }
        // Back to the one image, whose data the look past it has consumed.
        CloseArchive();
        FPosition = 0;
        FCrc = 0;
        OpenArchive();
        do {
            if (!NextFile(&name))
                throw EReadError(FFile, QStringLiteral("the archive holds no file %1").arg(first));
        } while (name != first);
        FMember = first;
        FStatedSize = size;
    } else {
        while (name != FWanted) {
            if (!NextFile(&name))
                throw EReadError(
                    FFile, QStringLiteral("the archive holds no file %1").arg(FWanted));
        }
        FMember = name;
    }
    if (FStatedSize && *FStatedSize > MaxSize)
        throw EReadError(FFile,
            QStringLiteral("%1 states %2 bytes, more than the %3 an image can have")
                .arg(FMember)
                .arg(*FStatedSize)
                .arg(MaxSize));
}

qint64 TImageSource::Read(char* buffer, qint64 count)
{
    qint64 got = 0;
    while (got < count) {
        ssize_t step = 0;
        if (FArchive) {
            step = archive_read_data(FArchive, buffer + got, static_cast<std::size_t>(count - got));
            if (step < 0)
                ArchiveFailed();
        } else {
            step = ::read(FHandle, buffer + got, static_cast<std::size_t>(count - got));
            if (step < 0) {
                if (errno == EINTR)
                    continue;
                throw EReadError(FFile, errno);
            }
        }
        if (step == 0) {
            if (FGzip)
                CheckGzipTrailer(FPosition + got);
            break;
        }
        if (FGzip)
            FCrc = crc32(
                FCrc, reinterpret_cast<const Bytef*>(buffer + got), static_cast<uInt>(step));
        got += step;
        // An archive bomb ends here, never in memory or on the port.
        const qint64 limit = FArchive && FStatedSize ? *FStatedSize : MaxSize;
        if (FPosition + got > limit)
            throw EReadError(FFile,
                QStringLiteral("%1 holds more than the %2 bytes it states")
                    .arg(ImageName())
                    .arg(limit));
    }
    FPosition += got;
    return got;
}

void TImageSource::ReadGzipTrailer(std::uint32_t* crc, std::uint32_t* length) const
{
    struct stat status
    {
    };
    unsigned char trailer[8];
    if (::fstat(FHandle, &status) != 0)
        throw EReadError(FFile, errno);
    if (status.st_size < 8 || ::pread(FHandle, trailer, 8, status.st_size - 8) != 8)
        throw EReadError(FFile, QStringLiteral("damaged archive (no gzip trailer)"));
    const auto word = [&trailer](int at) {
        return std::uint32_t(trailer[at]) | std::uint32_t(trailer[at + 1]) << 8
            | std::uint32_t(trailer[at + 2]) << 16 | std::uint32_t(trailer[at + 3]) << 24;
    };
    *crc = word(0);
    *length = word(4);
}

void TImageSource::CheckGzipTrailer(qint64 length)
{
    // libarchive's gzip reader takes the trailer on trust; it holds the CRC-32 and the
    // length (modulo 2^32) of what the data inflates to, the only check gzip has.
    std::uint32_t crc = 0;
    std::uint32_t stated = 0;
    ReadGzipTrailer(&crc, &stated);
    if (crc != std::uint32_t(FCrc) || stated != std::uint32_t(length))
        throw EReadError(FFile, QStringLiteral("damaged archive (gzip checksum mismatch)"));
}

void TImageSource::Rewind()
{
    FPosition = 0;
    FCrc = 0;
    if (!FArchive) {
        if (::lseek(FHandle, 0, SEEK_SET) < 0)
            throw EReadError(FFile, errno);
        return;
    }
    CloseArchive();
    OpenArchive();
    QString name;
    if (FCompressedFile) {
        // The stated size, a gzip trailer's, stays.
        const std::optional<qint64> size = FStatedSize;
        NextFile(&name);
        FStatedSize = size;
        return;
    }
    while (NextFile(&name)) {
        if (name == FMember)
            return;
    }
    throw EReadError(FFile, QStringLiteral("the archive holds no file %1").arg(FMember));
}

QStringList TImageSource::Members(const QString& file)
{
    TImageSource source(file, QString(), slFirst);
    QStringList names;
    if (!source.FArchive || source.FCompressedFile)
        return names;
    QString name = source.FMember;
    do
        names << name;
    while (source.NextFile(&name));
    return names;
}

qint64 TImageSource::CountRest()
{
    std::vector<char> block(ArchiveBlockSize);
    qint64 count = 0;
    for (;;) {
        const qint64 step = Read(block.data(), qint64(block.size()));
        if (step == 0)
            return count;
        count += step;
    }
}

TArchiveContents TImageSource::Contents(const QString& file)
{
    TImageSource source(file, QString(), slNone);
    return source.ListContents();
}

TArchiveContents TImageSource::ListContents()
{
    TImageSource& source = *this;
    const QString& file = FFile;
    source.FListing = true;
    TArchiveContents contents;
    try {
        if (!source.OpenArchive())
            return contents;
        contents.State = asArchive;
        QString name;
        if (HasSevenZipSignature(source.FHandle)) {
            // One file is read without reading through it: a listing of single-image 7z
            // archives inflates no more than each one's first block.
            source.FDrainSevenZip = false;
            int files = 0;
            while (files < 2 && source.NextFile(&name))
                ++files;
            source.CloseArchive();
            source.OpenArchive();
            source.FInFile = false;
            source.FDrainSevenZip = files > 1;
        }
        while (source.NextFile(&name)) {
            TArchiveMember member;
            if (archive_format(source.FArchive) == ARCHIVE_FORMAT_RAW) {
                // The raw reader takes any file; only one behind a compression filter is an
                // archive.
                if (archive_filter_code(source.FArchive, 0) == ARCHIVE_FILTER_NONE) {
                    if (HasArchiveExtension(file))
                        throw EReadError(file, QStringLiteral("damaged archive"));
                    contents.State = asPlainFile;
                    return contents;
                }
                source.FCompressedFile = true;
                source.FGzip = archive_filter_code(source.FArchive, 0) == ARCHIVE_FILTER_GZIP;
                source.FStatedSize.reset();
                if (source.FGzip) {
                    std::uint32_t crc = 0;
                    std::uint32_t length = 0;
                    source.ReadGzipTrailer(&crc, &length);
                    source.FStatedSize = length;
                }
            } else {
                member.Path = name;
            }
            source.FPosition = 0;
            source.FCrc = 0;
            member.Header.Present
                = qsizetype(source.Read(member.Header.Bytes.data(), TCartridgeHeader::Length));
            // Only a file that states no size is read through to learn it.
            member.Size = source.FStatedSize ? *source.FStatedSize
                                             : member.Header.Present + source.CountRest();
            contents.Members.push_back(std::move(member));
            if (source.FCompressedFile)
                break;
        }
    } catch (const EReadError& error) {
        contents.Members.clear();
        contents.State = source.FEncrypted ? asEncrypted : asDamaged;
        contents.Reason = error.Message();
    }
    return contents;
}

void TImageSource::SplitName(const QString& name, QString* file, QString* member)
{
    *file = name;
    member->clear();
    if (IsRegularFile(name))
        return;
    // The longest leading part that is a regular file is the archive; a member's own path
    // may hold further "/".
    for (qsizetype slash = name.lastIndexOf(QLatin1Char('/')); slash > 0;
         slash = name.lastIndexOf(QLatin1Char('/'), slash - 1)) {
        if (slash + 1 < name.size() && IsRegularFile(name.left(slash))) {
            *file = name.left(slash);
            *member = name.mid(slash + 1);
            return;
        }
    }
}

std::unique_ptr<TImageSource> TImageSource::OpenName(const QString& name)
{
    QString file;
    QString member;
    SplitName(name, &file, &member);
    return std::make_unique<TImageSource>(file, member);
}
