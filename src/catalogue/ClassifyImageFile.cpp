#include "ClassifyImageFile.h"

#include "CatalogueRow.h"
#include "EInOutError.h"
#include "IoErrorText.h"
#include "TImageHeader.h"
#include "UpperCase.h"

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

void ClassifyImageFile(
    const QString& selectedDirectory, const QString& name, std::span<QString> row)
{
    RequireWholeCatalogueRow(row.size());
    const QString extension = FileExtension(name);
    row[ccExtension] = UpperCaseFileName(extension.mid(1));
    // The base name ends where the extension first occurs, which may be before the last dot.
    row[ccBaseName]
        = UpperCaseFileName(extension.isEmpty() ? name : name.left(name.indexOf(extension)));
    row[ccFileName] = UpperCaseFileName(name);
    row[ccRealName] = name;
    try {
        const TImageHeader header = ReadImageHeader(selectedDirectory + name);
        row[ccSize] = SizeText(header.Size);
        row[ccImageName] = header.IsImage() ? UpperCaseWindows1252(header.Name()) : NotAnImageText;
    } catch (const EInOutError& error) {
        row[ccImageName] = IoErrorText(error.ErrorCode());
        row[ccSize] = UnreadableSizeText;
    }
}
