#include "TImageHeader.h"

#include "image/TImageSource.h"
#include "platform/TReadOnlyFile.h"

#include <vector>

TImageHeader ReadImageHeader(const QString& path)
{
    TReadOnlyFile file(path);
    TImageHeader header;
    header.ModifiedNs = file.ModifiedNs(&header.Size);
    // One read covers the magic, the name and the country code in every order.
    header.Present = file.ReadAt(0, header.Bytes.data(), TImageHeader::Length);
    file.Close();
    return header;
}

TImageHeader ReadSourceHeader(const QString& name)
{
    const std::unique_ptr<TImageSource> source = TImageSource::OpenName(name);
    TImageHeader header;
    header.Present = qsizetype(source->Read(header.Bytes.data(), TImageHeader::Length));
    if (source->StatedSize()) {
        header.Size = *source->StatedSize();
    } else {
        // Only the compressed files that state nothing are counted through.
        std::vector<char> block(65536);
        header.Size = header.Present;
        for (qint64 step; (step = source->Read(block.data(), qint64(block.size()))) > 0;)
            header.Size += step;
    }
    return header;
}

std::optional<QString> CountrySystemText(quint8 country)
{
    switch (country) {
    case 0x44:
        return QStringLiteral("GER");
    case 0x45:
        return QStringLiteral("USA");
    case 0x4A:
        return QStringLiteral("JAP");
    case 0x50:
        return QStringLiteral("PAL");
    case 0x00:
        return QString();
    default:
        return std::nullopt;
    }
}

QString PlainNewExtension(const std::optional<TByteOrder>& order)
{
    return ByteOrderExtension(order.value_or(boDevice));
}
