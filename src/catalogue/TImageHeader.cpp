#include "TImageHeader.h"

#include "TReadOnlyFile.h"

#include <algorithm>

namespace {

constexpr char Magic[TImageHeader::MagicLength] = { '\x37', '\x80', '\x40', '\x12' };

} // namespace

bool TImageHeader::IsImage() const
{
    return Present >= MagicLength && std::equal(Magic, Magic + MagicLength, Bytes.begin());
}

QByteArray TImageHeader::Name() const
{
    QByteArray name(NameLength, ' ');
    for (qsizetype i = 0; i < NameLength; ++i) {
        const qsizetype source = NameOffset + (i ^ 1);
        if (source < Present)
            name[i] = Bytes[source];
    }
    return name;
}

std::optional<quint8> TImageHeader::Country() const
{
    if (Present <= CountryOffset)
        return std::nullopt;
    return static_cast<quint8>(Bytes[CountryOffset]);
}

TImageHeader ReadImageHeader(const QString& path)
{
    TReadOnlyFile file(path);
    TImageHeader header;
    header.Size = file.Size();
    // One read covers the magic, the name and the country code.
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
