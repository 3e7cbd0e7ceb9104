#include "TImageReader.h"

#include "platform/EFOpenError.h"
#include "platform/EReadError.h"
#include "platform/RawText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TImageReader::TImageReader(const QString& path, TByteOrder target)
    : FPath(path)
    , FTarget(target)
{
    // Opened by the name's own bytes, which need not be valid UTF-8.
    const int handle = ::open(EncodeRawText(path).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        throw EFOpenError(path);
    struct stat status
    {
    };
    if (::fstat(handle, &status) != 0 || S_ISDIR(status.st_mode)) {
        ::close(handle);
        throw EFOpenError(path);
    }
    if (!FFile.open(
            handle, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw EFOpenError(path);
    }
    FSize = FFile.size();
    char magic[ByteOrderMagicLength];
    const qint64 got = FFile.read(magic, ByteOrderMagicLength);
    if (got < 0 || !FFile.seek(0))
        throw EReadError(path);
    FOrder = DetectByteOrder(magic, got);
    if (FOrder)
        FWordSize = ConversionWordSize(*FOrder, target);
}

QString TImageReader::PartialWordMessage() const
{
    return QStringLiteral("%1 is a %2 image, but its %3 bytes are not a whole number of "
                          "%4-byte words, so it cannot be converted")
        .arg(FPath, FOrder ? ByteOrderText(*FOrder) : QString())
        .arg(FSize)
        .arg(FWordSize);
}

qint64 TImageReader::Read(std::uint8_t* buffer, qint64 count)
{
    char* const bytes = reinterpret_cast<char*>(buffer);
    qint64 got = 0;
    // A regular file gives what it has in one read, but nothing promises it; a block must
    // be whole before its words can be converted.
    while (got < count) {
        const qint64 step = FFile.read(bytes + got, count - got);
        if (step < 0)
            throw EReadError(FPath);
        if (step == 0)
            break;
        got += step;
    }
    FPosition += got;
    if (Converts()) {
        if (got % FWordSize != 0)
            throw Exception(PartialWordMessage());
        ConvertByteOrder(*FOrder, FTarget, buffer, got);
    }
    return got;
}
