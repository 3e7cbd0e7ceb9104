#include "ClassifyImageFile.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/TArchiveCache.h"
#include "catalogue/TImageHeader.h"
#include "image/TImageSource.h"
#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"
#include "platform/UpperCase.h"

namespace {

constexpr qint64 BytesPerMegabit = 131072;

} // namespace

QString SelectedDirectory(const QString& directory)
{
    if (directory.isEmpty() || directory.endsWith(QLatin1Char('/')))
        return directory;
    return directory + QLatin1Char('/');
}

QString SizeText(qint64 size)
{
    return QStringLiteral("%1 MBit").arg(size / BytesPerMegabit, 3, 10, QLatin1Char('0'));
}

QString FileExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

namespace {

// The name columns of a row for a name as it is on disk, or inside an archive.
void FillNameColumns(const QString& name, std::span<QString> row)
{
    // The columns show the name as well as it reads; the real name keeps its bytes.
    const QString shown = ReadableRawText(name);
    const QString extension = FileExtension(shown);
    row[ccExtension] = UpperCaseFileName(extension.mid(1));
    // The base name ends where the extension first occurs, which may be before the last dot.
    row[ccBaseName]
        = UpperCaseFileName(extension.isEmpty() ? shown : shown.left(shown.indexOf(extension)));
    row[ccFileName] = UpperCaseFileName(shown);
}

void FillImageColumns(const TCartridgeHeader& header, qint64 size, std::span<QString> row)
{
    row[ccSize] = SizeText(size);
    row[ccImageName] = header.IsImage() ? UpperCaseWindows1252(header.Name()) : NotAnImageText;
}

// Reads a file's first bytes; false, with the row telling why, for a file that cannot be
// read.
bool ReadRowHeader(const QString& path, std::span<QString> row, TImageHeader* header)
{
    try {
        *header = ReadImageHeader(path);
        return true;
    } catch (const EInOutError& error) {
        row[ccImageName] = IoErrorText(error.ErrorCode());
        row[ccSize] = UnreadableSizeText;
        return false;
    }
}

QString MemberFileName(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void AppendArchiveRows(const QString& path, std::vector<QString> row, const TImageHeader& header,
    std::vector<std::vector<QString>>& rows, TArchiveCache* cache)
{
    row[ccKind] = QString::fromUtf16(ArchiveRowKind);
    TArchiveContents contents;
    try {
        contents = cache ? cache->Contents(path, header.Size, header.ModifiedNs)
                         : TImageSource::Contents(path);
    } catch (const Exception&) {
        // Read a moment ago, gone or changed now: as unreadable as a damaged archive.
        contents.State = asDamaged;
    }
    switch (contents.State) {
    case asPlainFile:
        break;
    case asDamaged:
    case asEncrypted:
        row[ccImageName] = contents.State == asDamaged ? DamagedArchiveText : EncryptedArchiveText;
        row[ccSize] = UnreadableSizeText;
        rows.push_back(std::move(row));
        return;
    case asArchive: {
        std::vector<const TArchiveMember*> images;
        for (const TArchiveMember& member : contents.Members) {
            if (member.Header.IsImage())
                images.push_back(&member);
        }
        if (images.empty()) {
            row[ccImageName] = NotAnImageText;
            row[ccSize] = SizeText(header.Size);
        } else if (images.size() == 1) {
            FillImageColumns(images.front()->Header, images.front()->Size, row);
            row[ccMember] = images.front()->Path;
        } else {
            const QString archiveName = row[ccFileName];
            for (const TArchiveMember* image : images) {
                std::vector<QString> imageRow = row;
                FillNameColumns(MemberFileName(image->Path), imageRow);
                // The same image may be a plain file of the folder too; the row says where
                // this one lives.
                imageRow[ccFileName] += QStringLiteral(" in ") + archiveName;
                FillImageColumns(image->Header, image->Size, imageRow);
                imageRow[ccMember] = image->Path;
                imageRow[ccKind] = QString::fromUtf16(MemberRowKind);
                rows.push_back(std::move(imageRow));
            }
            return;
        }
        rows.push_back(std::move(row));
        return;
    }
    }
    // No archive after all: the plain file's row.
    row[ccKind].clear();
    rows.push_back(std::move(row));
}

} // namespace

void ClassifyImageFile(
    const QString& selectedDirectory, const QString& name, std::span<QString> row)
{
    RequireWholeCatalogueRow(row.size());
    FillNameColumns(name, row);
    row[ccRealName] = name;
    TImageHeader header;
    if (ReadRowHeader(selectedDirectory + name, row, &header))
        FillImageColumns(header, header.Size, row);
}

void AppendCatalogueRows(const QString& selectedDirectory, const QString& name,
    std::vector<std::vector<QString>>& rows, TArchiveCache* cache)
{
    std::vector<QString> row(CatalogueColumnCount);
    FillNameColumns(name, row);
    row[ccRealName] = name;
    const QString path = selectedDirectory + name;
    TImageHeader header;
    if (!ReadRowHeader(path, row, &header)) {
        rows.push_back(std::move(row));
        return;
    }
    FillImageColumns(header, header.Size, row);
    // Only a file that is no image and starts as an archive does (or is named as one) costs
    // the archive reader's time.
    if (header.IsImage() || !MayBeArchive(header.Bytes.data(), header.Present, name)) {
        rows.push_back(std::move(row));
        return;
    }
    AppendArchiveRows(path, std::move(row), header, rows, cache);
}

QString CatalogueRowSource(const QString& selectedDirectory, std::span<const QString> row)
{
    RequireWholeCatalogueRow(row.size());
    if (row[ccRealName].isEmpty())
        return QString();
    const QString file = selectedDirectory + row[ccRealName];
    return row[ccMember].isEmpty() ? file : file + QLatin1Char('/') + row[ccMember];
}
