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
