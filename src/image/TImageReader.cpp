#include "TImageReader.h"

#include "image/TImageSource.h"
#include "platform/Exception.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr qint64 IntegrityBlockSize = 65536;
// How far the decompression may run ahead of the transfer: a few blocks, never the image.
constexpr std::size_t ReadAheadBlocks = 4;
constexpr qint64 ReadAheadBlockSize = 65536;

} // namespace

struct TImageReader::TReadAhead
{
    explicit TReadAhead(TImageSource& source)
        : FSource(source)
        , FThread([this] { Run(); })
    {
    }

    ~TReadAhead()
    {
        {
            const std::lock_guard lock(FMutex);
            FStop = true;
        }
        FChanged.notify_all();
        FThread.join();
    }

    // As TImageSource::Read: count bytes unless the member ends first; an error of the
    // decompression is raised where the bytes before it run out, as it would have been.
    qint64 Read(char* buffer, qint64 count)
    {
        qint64 got = 0;
        std::unique_lock lock(FMutex);
        while (got < count) {
            FChanged.wait(lock, [this] { return !FBlocks.empty() || FEnd; });
            if (FBlocks.empty()) {
                if (FError)
                    std::rethrow_exception(FError);
                break;
            }
            std::vector<char>& front = FBlocks.front();
            const qint64 step = std::min(count - got, qint64(front.size()) - FOffset);
            std::memcpy(buffer + got, front.data() + FOffset, std::size_t(step));
            got += step;
            FOffset += step;
            if (FOffset == qint64(front.size())) {
                FBlocks.pop_front();
                FOffset = 0;
                FChanged.notify_all();
            }
        }
        return got;
    }

    bool AtEnd()
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [this] { return !FBlocks.empty() || FEnd; });
        if (FBlocks.empty() && FError)
            std::rethrow_exception(FError);
        return FBlocks.empty();
    }

private:
    void Run()
    {
        for (;;) {
            {
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [this] { return FStop || FBlocks.size() < ReadAheadBlocks; });
                if (FStop)
                    return;
            }
            std::vector<char> block(ReadAheadBlockSize);
            std::exception_ptr error;
            qint64 step = 0;
            try {
                step = FSource.Read(block.data(), ReadAheadBlockSize);
            } catch (...) {
                error = std::current_exception();
            }
            {
                const std::lock_guard lock(FMutex);
                if (error || step == 0) {
                    FError = error;
                    FEnd = true;
                } else {
                    block.resize(std::size_t(step));
                    FBlocks.push_back(std::move(block));
                }
            }
            FChanged.notify_all();
            if (error || step == 0)
                return;
        }
    }

    TImageSource& FSource;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::deque<std::vector<char>> FBlocks;
    qint64 FOffset = 0;
    bool FEnd = false;
    bool FStop = false;
    std::exception_ptr FError;
    // Last: started once everything it uses is there.
    std::thread FThread;
};

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

// The read-ahead goes first: its thread reads the source.
TImageReader::~TImageReader()
{
    FReadAhead.reset();
}

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
    // Started at the first read, not at the opening: a list of archives checked together
    // is not decompressed all at once.
    if (!FReadAhead && FSource->InArchive())
        FReadAhead = std::make_unique<TReadAhead>(*FSource);
    const qint64 got = FReadAhead ? FReadAhead->Read(reinterpret_cast<char*>(buffer), count)
                                  : FSource->Read(reinterpret_cast<char*>(buffer), count);
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
    if (FReadAhead)
        return FReadAhead->AtEnd();
    char next = 0;
    return FSource->Read(&next, 1) == 0;
}
