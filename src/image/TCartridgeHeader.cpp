#include "TCartridgeHeader.h"

std::optional<quint8> TCartridgeHeader::At(qint64 cartridgeOffset) const
{
    const std::optional<TByteOrder> order = Order();
    if (!order || cartridgeOffset < 0 || cartridgeOffset >= Length)
        return std::nullopt;
    const qint64 offset = FileOffset(*order, cartridgeOffset);
    if (offset >= Present)
        return std::nullopt;
    return static_cast<quint8>(Bytes[static_cast<std::size_t>(offset)]);
}

QByteArray TCartridgeHeader::Name() const
{
    QByteArray name(NameLength, ' ');
    for (qsizetype i = 0; i < NameLength; ++i) {
        if (const std::optional<quint8> byte = At(NameOffset + i))
            name[i] = static_cast<char>(*byte);
    }
    return name;
}

std::optional<quint32> TCartridgeHeader::WordAt(qint64 cartridgeOffset) const
{
    quint32 word = 0;
    for (qint64 i = 0; i < 4; ++i) {
        const std::optional<quint8> byte = At(cartridgeOffset + i);
        if (!byte)
            return std::nullopt;
        word = word << 8 | *byte;
    }
    return word;
}
