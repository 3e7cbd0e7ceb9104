#include "TImageReader.h"

#include "EFOpenError.h"
#include "EReadError.h"

TImageReader::TImageReader(const QString& path, TByteOrder target)
    : FPath(path)
    , FFile(path)
    , FTarget(target)
{
    if (!FFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw EFOpenError(path);
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
