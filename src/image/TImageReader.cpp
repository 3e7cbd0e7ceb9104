#include "TImageReader.h"

#include "image/TImageSource.h"
#include "platform/Exception.h"

#include <algorithm>
#include <vector>

namespace {

constexpr qint64 IntegrityBlockSize = 65536;

} // namespace

TImageReader::TImageReader(const QString& path, TByteOrder target)
    : FPath(path)
    , FSource(TImageSource::OpenName(path))
    , FTarget(target)
{
    char magic[ByteOrderMagicLength];
    qint64 got = 0;
    if (FSource->InArchive()) {
        // The integrity pass: every byte inflated once, the archive's checksum checked at
        // the end, the size counted rather than trusted.
        std::vector<char> block(IntegrityBlockSize);
        for (;;) {
            const qint64 step = FSource->Read(block.data(), IntegrityBlockSize);
            if (step == 0)
                break;
            if (FSize == 0)
                got = std::min<qint64>(step, ByteOrderMagicLength);
            if (FSize == 0)
                std::copy_n(block.data(), got, magic);
            FSize += step;
        }
        FSource->Rewind();
    } else {
        FSize = *FSource->StatedSize();
        got = FSource->Read(magic, ByteOrderMagicLength);
        FSource->Rewind();
    }
    FOrder = DetectByteOrder(magic, got);
    if (FOrder)
        FWordSize = ConversionWordSize(*FOrder, target);
}

TImageReader::~TImageReader() = default;

QString TImageReader::ImageName() const
{
    return FSource->ImageName();
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
    const qint64 got = FSource->Read(reinterpret_cast<char*>(buffer), count);
    FPosition += got;
    if (Converts()) {
        if (got % FWordSize != 0)
            throw Exception(PartialWordMessage());
        ConvertByteOrder(*FOrder, FTarget, buffer, got);
    }
    return got;
}

bool TImageReader::AtEnd()
{
    char next = 0;
    return FSource->Read(&next, 1) == 0;
}
