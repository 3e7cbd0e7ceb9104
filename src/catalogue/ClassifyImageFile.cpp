#include "ClassifyImageFile.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/TImageHeader.h"
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

void ClassifyImageFile(
    const QString& selectedDirectory, const QString& name, std::span<QString> row)
{
    RequireWholeCatalogueRow(row.size());
    // The columns show the name as well as it reads; the real name keeps its bytes.
    const QString shown = ReadableRawText(name);
    const QString extension = FileExtension(shown);
    row[ccExtension] = UpperCaseFileName(extension.mid(1));
    // The base name ends where the extension first occurs, which may be before the last dot.
    row[ccBaseName]
        = UpperCaseFileName(extension.isEmpty() ? shown : shown.left(shown.indexOf(extension)));
    row[ccFileName] = UpperCaseFileName(shown);
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
