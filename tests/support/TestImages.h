#pragma once

#include "TTestFolder.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>

// Image files for tests of the catalogue.

// The first 64 bytes of an image: the magic, a name stored pairwise swapped (given here in
// reading order) and a country code.
inline QByteArray ImageBytes(const QByteArray& name, char country)
{
    QByteArray bytes(64, '\0');
    bytes[0] = '\x37';
    bytes[1] = '\x80';
    bytes[2] = '\x40';
    bytes[3] = '\x12';
    QByteArray padded = name.leftJustified(20, ' ', true);
    for (int i = 0; i < 20; ++i)
        bytes[0x20 + (i ^ 1)] = padded[i];
    bytes[0x3F] = country;
    return bytes;
}

// The same header as a big-endian (.z64) file holds it, in the cartridge's own order, or as a
// little-endian (.n64) one, with every 32-bit word reversed.
inline QByteArray BigEndianHeaderBytes(const QByteArray& name, char country)
{
    const QByteArray device = ImageBytes(name, country);
    QByteArray bytes(device.size(), '\0');
    for (qsizetype i = 0; i < device.size(); ++i)
        bytes[i ^ 1] = device[i];
    return bytes;
}

inline QByteArray LittleEndianHeaderBytes(const QByteArray& name, char country)
{
    const QByteArray big = BigEndianHeaderBytes(name, country);
    QByteArray bytes(big.size(), '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        bytes[i ^ 3] = big[i];
    return bytes;
}

// Writes a file of the given bytes and makes it size bytes long; the rest is a hole, so large
// sizes cost no disk space.
inline QString WriteSized(
    const TTestFolder& folder, const QString& name, const QByteArray& bytes, qint64 size)
{
    const QString path = folder.Write(name, bytes);
    QFile file(path);
    if (!file.resize(size))
        throw std::runtime_error("cannot size " + path.toStdString());
    return path;
}
