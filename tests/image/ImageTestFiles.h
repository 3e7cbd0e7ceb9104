#pragma once

#include "TestBytes.h"
#include "image/TByteOrder.h"

#include <QByteArray>

// The same bytes as a file of the given order holds them, from the cartridge's own order,
// byte by byte: the device's order swaps the bytes of each 16-bit word, little-endian
// reverses each 32-bit word.
inline QByteArray InOrder(const QByteArray& cartridge, TByteOrder order)
{
    if (order == boBigEndian)
        return cartridge;
    QByteArray file = cartridge;
    const int flip = order == boDevice ? 1 : 3;
    // A trailing part of a word stays where it is.
    const qsizetype whole = cartridge.size() / (flip + 1) * (flip + 1);
    for (qsizetype i = 0; i < whole; ++i)
        file[i ^ flip] = cartridge[i];
    return file;
}

// A cartridge image in its own order: the big-endian magic, a name, a country code, and
// random bytes everywhere else.
inline QByteArray CartridgeImage(
    qsizetype size, quint32 seed, const QByteArray& name = "TEST IMAGE", char country = 'E')
{
    QByteArray image = RandomBytes(size, seed);
    const QByteArray magic("\x80\x37\x12\x40", 4);
    image.replace(0, qMin<qsizetype>(4, size), magic.left(qMin<qsizetype>(4, size)));
    if (size >= 0x40) {
        image.replace(0x20, 20, name.leftJustified(20, ' ', true));
        image[0x3E] = country;
    }
    return image;
}
