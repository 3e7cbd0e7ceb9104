#include "TImageHeader.h"

#include "platform/TReadOnlyFile.h"

TImageHeader ReadImageHeader(const QString& path)
{
    TReadOnlyFile file(path);
    TImageHeader header;
    header.Size = file.Size();
    // One read covers the magic, the name and the country code in every order.
    header.Present = file.ReadAt(0, header.Bytes.data(), TImageHeader::Length);
    file.Close();
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
