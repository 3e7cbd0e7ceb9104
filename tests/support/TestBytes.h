#pragma once

#include <QByteArray>
#include <QRandomGenerator>

#include <initializer_list>

// Byte strings for tests: image contents and the bytes of a stream.

// Bytes that look like an image's content, the same for the same seed.
inline QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.generate() & 0xFF);
    return bytes;
}

// The bytes of the given values, each taken modulo 256: Bytes({ 0x80, 0x37 }).
inline QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes.append(static_cast<char>(value));
    return bytes;
}
