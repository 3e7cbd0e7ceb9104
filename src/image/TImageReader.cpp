#include "TImageReader.h"

#include "platform/EFOpenError.h"
#include "platform/EReadError.h"
#include "platform/RawText.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// From linux/magic.h: the file systems whose files are made up as they are read.
constexpr long ProcSuperMagic = 0x9fa0;
constexpr long SysfsMagic = 0x62656572;

} // namespace

TImageReader::TImageReader(const QString& path, TByteOrder target)
    : FPath(path)
    , FTarget(target)
{
    // Opened by the name's own bytes, which need not be valid UTF-8; without blocking, as
    // opening a FIFO would wait for a writer that may never come.
    FHandle = ::open(EncodeRawText(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (FHandle < 0)
        throw EFOpenError(path, errno);
    try {
        struct stat status
        {
        };
        if (::fstat(FHandle, &status) != 0)
            throw EFOpenError(path, errno);
        if (!S_ISREG(status.st_mode))
            throw Exception(QStringLiteral("Not a regular file: %1").arg(path));
        struct statfs volume
        {
        };
        if (::fstatfs(FHandle, &volume) != 0)
            throw EFOpenError(path, errno);
        if (volume.f_type == ProcSuperMagic || volume.f_type == SysfsMagic)
            throw Exception(QStringLiteral("Not a file that can be sent: %1 is on /proc or "
                                           "/sys, where a file's size says nothing of what "
                                           "it holds")
                                .arg(path));
        FSize = status.st_size;
        char magic[ByteOrderMagicLength];
        const ssize_t got = ::pread(FHandle, magic, ByteOrderMagicLength, 0);
        if (got < 0)
            throw EReadError(path, errno);
        FOrder = DetectByteOrder(magic, got);
        if (FOrder)
            FWordSize = ConversionWordSize(*FOrder, target);
    } catch (...) {
        ::close(FHandle);
        throw;
    }
}

TImageReader::~TImageReader()
{
    ::close(FHandle);
}

QString TImageReader::PartialWordMessage() const
{
    return QStringLiteral("%1 is a %2 image, but its %3 bytes are not a whole number of "
                          "%4-byte words, so it cannot be converted")
        .arg(FPath, FOrder ? ByteOrderText(*FOrder) : QString())
        .arg(FSize)
        .arg(FWordSize);
}

qint64 TImageReader::ReadRaw(char* bytes, qint64 count)
{
    qint64 got = 0;
    // A regular file gives what it has in one read, but nothing promises it; a block must
    // be whole before its words can be converted.
    while (got < count) {
        const ssize_t step = ::read(FHandle, bytes + got, static_cast<std::size_t>(count - got));
        if (step < 0) {
            if (errno == EINTR)
                continue;
            throw EReadError(FPath, errno);
        }
        if (step == 0)
            break;
        got += step;
    }
    return got;
}

qint64 TImageReader::Read(std::uint8_t* buffer, qint64 count)
{
    const qint64 got = ReadRaw(reinterpret_cast<char*>(buffer), count);
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
    return ReadRaw(&next, 1) == 0;
}
