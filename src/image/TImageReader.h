#pragma once

#include "image/TByteOrder.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class TImageSource;

// An image source (a file, or a member of an archive; see TImageSource) read from start to
// end in another byte order, block by block, converted in the caller's buffer as it arrives:
// no copy of the image, and the file itself is only read. A file that is not an image is
// read as it is. The file is opened once, here, and every byte comes from that descriptor,
// so a file replaced by another after the opening (a FIFO, a link to a device) changes
// nothing that is read. A member of an archive is read through once here, so that a damaged
// archive is refused and its size known before anything is sent.
class TImageReader
{
public:
    // Opens the source the name names without blocking and recognises its order. Raises
    // EFOpenError with the system's reason, EReadError for a damaged archive, and Exception
    // for anything but a regular file and for a file on /proc or /sys, whose sizes say
    // nothing of what they hold.
    explicit TImageReader(const QString& path, TByteOrder target = boDevice);
    ~TImageReader();
    TImageReader(const TImageReader&) = delete;
    TImageReader& operator=(const TImageReader&) = delete;

    const QString& Path() const { return FPath; }
    // The image's own file name, the one the device is told: for an archive's member, the
    // member's.
    QString ImageName() const;
    // The size the image had when it was opened: the one a transfer announces.
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
    // Whether nothing follows what was read: false for a file that grew since its opening.
    // Raises EReadError.
    bool AtEnd();

private:
    // Inflates the blocks of an archive's member ahead of the transfer on a thread of its
    // own, so that on a machine of two cores the transfer's own time hides the second
    // decompression; only one of the integrity pass remains to be waited for.
    struct TReadAhead;

    QString FPath;
    std::unique_ptr<TImageSource> FSource;
    std::unique_ptr<TReadAhead> FReadAhead;
    qint64 FSize = 0;
    qint64 FPosition = 0;
    std::optional<TByteOrder> FOrder;
    TByteOrder FTarget;
    int FWordSize = 1;
};
