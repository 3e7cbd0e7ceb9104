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

// The bytes with each one moved to its index XOR mask: 1 swaps the bytes of every 16-bit
// word, 3 reverses every 32-bit word.
inline QByteArray Swizzled(const QByteArray& from, int mask)
{
    QByteArray bytes(from.size(), '\0');
    for (qsizetype i = 0; i < from.size(); ++i)
        bytes[i ^ mask] = from[i];
    return bytes;
}

// The same header as a big-endian (.z64) file holds it, in the cartridge's own order, or as a
// little-endian (.n64) one, with every 32-bit word reversed.
inline QByteArray BigEndianHeaderBytes(const QByteArray& name, char country)
{
    return Swizzled(ImageBytes(name, country), 1);
}

inline QByteArray LittleEndianHeaderBytes(const QByteArray& name, char country)
{
    return Swizzled(BigEndianHeaderBytes(name, country), 3);
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
