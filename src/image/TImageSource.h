#pragma once

#include "image/TArchiveContents.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

struct archive;

// An image source: a plain file, or one member of an archive (zip, 7z, or a single file
// compressed with gzip, xz, bzip2 or zstd), read from start to end block by block and never
// unpacked to disk. The file is opened once, without blocking, and every pass reads from
// that descriptor. The only place that knows archives: the rest of the program sees bytes.
class TImageSource
{
public:
    // The largest size a source may have: what the device's signed size field can announce.
    static constexpr qint64 MaxSize = 2147483647;

    // Opens file and, in an archive, member by its path inside it; an empty member is the
    // archive's only file. Raises EFOpenError with the system's reason, Exception for a file
    // that is not a regular file, and EReadError for an archive that is damaged, encrypted,
    // lacks the member, holds several files when none is named, or whose member states a
    // size above MaxSize.
    explicit TImageSource(const QString& file, const QString& member = QString());
    ~TImageSource();
    TImageSource(const TImageSource&) = delete;
    TImageSource& operator=(const TImageSource&) = delete;

    const QString& File() const { return FFile; }
    bool InArchive() const { return FArchive != nullptr; }
    // The member read, by its path inside the archive; empty for a plain file and for a
    // compressed single file, which has no member names.
    const QString& Member() const { return FMember; }
    // The image's own file name, without folders: the member's, a compressed file's without
    // its compression extension (racer.z64.gz is racer.z64), or the plain file's.
    QString ImageName() const;
    // The size the source states before it is read: a plain file's, a zip or 7z member's, or
    // the one a gzip file's trailer holds. Nothing for the other compressed single files,
    // which tell their size only at their end.
    std::optional<qint64> StatedSize() const { return FStatedSize; }

    // Reads up to count bytes of the image into buffer and returns how many: fewer only at
    // the end, 0 after it. Raises EReadError for a failed read or a damaged archive (its
    // checksum is checked at the member's end), and for data that runs past the stated size
    // or past MaxSize.
    qint64 Read(char* buffer, qint64 count);
    // Back to the first byte, for a second pass over the same descriptor.
    void Rewind();

    // An image source's name: a file's path, or an archive's path, "/", and a member's path
    // inside it ("Speed Racer.7z/Speed Racer (U) [!].z64"). Splits it into the file and the
    // member, empty for a path that is not inside a regular file. Looks at the file system.
    static void SplitName(const QString& name, QString* file, QString* member);
    // Opens the source a name names, as SplitName splits it.
    static std::unique_ptr<TImageSource> OpenName(const QString& name);

    // The files an archive holds, by their paths inside it, in the archive's order; empty
    // for a plain file. Raises as the constructor does.
    static QStringList Members(const QString& file);
    // What a file holds for a listing: every file of an archive with its stated size and
    // first bytes, read in one pass (a solid 7z is inflated at most once), or that it is no
    // archive, a damaged or an encrypted one. Raises EFOpenError and Exception as the
    // constructor does for a file that cannot be opened or is not a regular file.
    static TArchiveContents Contents(const QString& file);

private:
    enum TSelection
    {
        slChoose, // the member named, or the only file
        slFirst, // the archive's first file, whatever its name, for Members
        slNone, // nothing yet, for Contents
    };
    TImageSource(const QString& file, const QString& member, TSelection selection);
    // False for a file that is no archive and not compressed.
    bool OpenArchive();
    void CloseArchive();
    [[noreturn]] void ArchiveFailed();
    // Moves to the next file of the archive; false at the archive's end.
    bool NextFile(QString* name);
    void DrainSevenZipFile();
    void Select(bool choose);
    void CheckGzipTrailer(qint64 length);
    // The CRC-32 and the length modulo 2^32 that a gzip file's last eight bytes hold.
    void ReadGzipTrailer(std::uint32_t* crc, std::uint32_t* length) const;
    // Reads to the end of the current file and returns how many bytes that was.
    qint64 CountRest();
    // Contents, of the file this source has open.
    TArchiveContents ListContents();

    QString FFile;
    QString FMember;
    QString FWanted;
    int FHandle = -1;
    archive* FArchive = nullptr;
    bool FCompressedFile = false;
    bool FGzip = false;
    bool FEncrypted = false;
    // Whether a file of the archive is open, and whether a 7z's files are read through
    // rather than skipped on the way to the next.
    bool FInFile = false;
    bool FDrainSevenZip = true;
    bool FFormatKnown = false;
    // Opened by Contents, which reads only each member's first bytes.
    bool FListing = false;
    unsigned long FCrc = 0;
    std::optional<qint64> FStatedSize;
    qint64 FPosition = 0;
};
