#include "TCurrentImage.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TImageHeader.h"
#include "image/TImageSource.h"
#include "platform/EInOutError.h"
#include "platform/Exception.h"
#include "platform/IoErrorText.h"

#include <algorithm>
#include <memory>

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
        // An archive's image: reaching it may mean inflating the images before it in a solid
        // 7z, so the header and the checksums come from one pass. An archive that is damaged
        // keeps the words its row has.
        try {
            const std::unique_ptr<TImageSource> source = TImageSource::OpenName(image.Source);
            const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(CheckedLength);
            char* const start = reinterpret_cast<char*>(bytes.get());
            TImageHeader header;
            header.Present = qsizetype(source->Read(start, TImageHeader::Length));
            std::copy_n(start, header.Present, header.Bytes.data());
            examine(header);
            qint64 present = header.Present;
            if (present == TImageHeader::Length)
                present += source->Read(start + present, CheckedLength - present);
            image.Check = CheckImageStart(bytes.get(), present);
        } catch (const Exception&) {
        }
    } else {
        const QString path = selectedDirectory + image.RealName;
        try {
            examine(ReadImageHeader(path));
            try {
                image.Check = CheckImageFile(path);
            } catch (const EInOutError&) {
                // Unreadable past its header: no verdict, as for no image.
            }
        } catch (const EInOutError& error) {
            image.ImageName = IoErrorText(error.ErrorCode());
        }
    }
    image.CurrentSystem = image.System;
    return image;
}
