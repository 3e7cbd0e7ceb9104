#pragma once

#include <QByteArray>
#include <QIODevice>

// Reads the contents of the named section of an ELF file of this machine's class and byte
// order. Returns false when the device holds no such file, no such section, or one larger
// than maxSize; every offset is checked against the device's size before it is used.
bool ReadElfSection(QIODevice& device, QByteArrayView name, qint64 maxSize, QByteArray& contents);
