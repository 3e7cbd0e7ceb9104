#pragma once

#include "image/TByteOrder.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

// An image file read from start to end in another byte order, block by block, converted in
// the caller's buffer as it arrives: no copy of the file, and the file itself is only read.
// A file that is not an image is read as it is.
class TImageReader
{
public:
    // Opens the file and recognises its order. Raises EFOpenError.
    explicit TImageReader(const QString& path, TByteOrder target = boDevice);

    const QString& Path() const { return FPath; }
    qint64 Size() const { return FSize; }
    qint64 Position() const { return FPosition; }
    // Nothing for a file that is not an image.
    std::optional<TByteOrder> Order() const { return FOrder; }
    TByteOrder Target() const { return FTarget; }
    // Whether the bytes are rearranged on their way.
    bool Converts() const { return FWordSize > 1; }
    // Whether the whole file converts: its size is a whole number of the words its order
    // swaps. Always so when nothing is converted.
    bool WholeWords() const { return FSize % FWordSize == 0; }
    // Why a file that is not WholeWords() cannot be converted.
    QString PartialWordMessage() const;

    // Reads the next bytes into buffer, up to count, in the target order, and returns how
    // many: count unless the file ends first, 0 at its end. count must be a multiple of 4
    // unless the read reaches the end of the file, so that every read starts on a word.
    // Raises EReadError for a failed read, Exception for a file that ends inside a word.
    qint64 Read(std::uint8_t* buffer, qint64 count);

private:
    QString FPath;
    QFile FFile;
    qint64 FSize = 0;
    qint64 FPosition = 0;
    std::optional<TByteOrder> FOrder;
    TByteOrder FTarget;
    int FWordSize = 1;
};
