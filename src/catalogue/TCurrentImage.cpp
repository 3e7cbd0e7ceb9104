#include "TCurrentImage.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TImageHeader.h"
#include "platform/EInOutError.h"
#include "platform/Exception.h"
#include "platform/IoErrorText.h"

std::optional<TCurrentImage> ExamineCurrentImage(
    const QString& selectedDirectory, std::span<const QString> row)
{
    RequireWholeCatalogueRow(row.size());
    if (row[ccFileName].isEmpty())
        return std::nullopt;
    TCurrentImage image;
    image.FileName = row[ccFileName];
    image.NewName = row[ccBaseName];
    image.ImageName = row[ccImageName];
    image.RealName = row[ccRealName];
    image.PlainExtension = PlainNewExtension(std::nullopt);
    image.Source = CatalogueRowSource(selectedDirectory, row);
    image.KeepsExtension = row[ccKind] == QStringView(ArchiveRowKind);
    if (image.KeepsExtension)
        image.OwnExtension = FileExtension(image.RealName);
    image.InsideArchive = row[ccKind] == QStringView(MemberRowKind);
    const auto examine = [&image](const TImageHeader& header) {
        image.PlainExtension = PlainNewExtension(header.Order());
        const std::optional<quint8> country = header.Country();
        if (country)
            image.System = CountrySystemText(*country).value_or(QString());
    };
    if (!row[ccKind].isEmpty()) {
        // An archive's image: its own header, inflated once more. An archive that is damaged
        // keeps the words its row has.
        try {
            examine(ReadSourceHeader(image.Source));
        } catch (const Exception&) {
        }
    } else {
        try {
            examine(ReadImageHeader(selectedDirectory + image.RealName));
        } catch (const EInOutError& error) {
            image.ImageName = IoErrorText(error.ErrorCode());
        }
    }
    image.CurrentSystem = image.System;
    return image;
}
