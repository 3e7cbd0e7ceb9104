#include "TCurrentImage.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TImageHeader.h"
#include "image/TImageSource.h"
#include "platform/EInOutError.h"
#include "platform/Exception.h"
#include "platform/IoErrorText.h"
#include "platform/TReadOnlyFile.h"

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
    // The header and the checksums come from one pass over the image's start: reaching an
    // image inside a solid 7z may mean inflating the images before it.
    const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(CheckedLength);
    char* const start = reinterpret_cast<char*>(bytes.get());
    qint64 present = -1;
    bool checkable = true;
    if (!row[ccKind].isEmpty()) {
        // An archive that is damaged keeps the words its row has.
        try {
            present = TImageSource::OpenName(image.Source)->Read(start, CheckedLength);
        } catch (const Exception&) {
        }
    } else {
        try {
            TReadOnlyFile file(selectedDirectory + image.RealName);
            present = file.ReadAt(0, start, TImageHeader::Length);
            try {
                if (present == TImageHeader::Length)
                    present += file.ReadAt(present, start + present, CheckedLength - present);
            } catch (const EInOutError&) {
                // Unreadable past its header: no verdict, as for no image.
                checkable = false;
            }
        } catch (const EInOutError& error) {
            image.ImageName = IoErrorText(error.ErrorCode());
        }
    }
    if (present >= 0) {
        TImageHeader header;
        header.Present = qsizetype(std::min<qint64>(present, TImageHeader::Length));
        std::copy_n(start, header.Present, header.Bytes.data());
        image.PlainExtension = PlainNewExtension(header.Order());
        const std::optional<quint8> country = header.Country();
        if (country)
            image.System = CountrySystemText(*country).value_or(QString());
        if (checkable)
            image.Check = CheckImageStart(bytes.get(), present);
    }
    image.CurrentSystem = image.System;
    return image;
}
