// The image format's costs: checking the header checksums of a 64 MiB image file, and
// converting one delivery block to the device's order.

#include "image/TByteOrder.h"
#include "image/TImageChecksum.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr qint64 ImageSize = 64 * 1024 * 1024;
constexpr qint64 BlockSize = 0x8000;

QByteArray RandomBytes(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(64);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.generate() & 0xFF);
    return bytes;
}

// A 64 MiB big-endian image whose boot code is made known through the table the check is
// given, so that the whole checksum runs.
struct TLargeImage
{
    QTemporaryDir Folder;
    QString Path = Folder.filePath(QStringLiteral("LARGE.Z64"));
    std::vector<TBootCodeEntry> Table;

    TLargeImage()
    {
        QByteArray start = RandomBytes(CheckedLength);
        start.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(start.constData());
        Table = { { BootCodeCrc({ bytes, static_cast<std::size_t>(start.size()) }), bc6102 } };
        QFile file(Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(start) != start.size()
            || !file.resize(ImageSize))
            throw std::runtime_error("cannot write the image");
    }
};

void BM_CheckChecksumsOf64MiBImage(benchmark::State& state)
{
    static const TLargeImage image;
    for (auto _ : state) {
        const std::optional<TImageCheck> check = CheckImageFile(image.Path, image.Table);
        if (!check || !check->Computed)
            state.SkipWithError("the checksums were not computed");
        benchmark::DoNotOptimize(check);
    }
}
BENCHMARK(BM_CheckChecksumsOf64MiBImage)->Unit(benchmark::kMillisecond);

void BM_ConvertBlockToDeviceOrder(benchmark::State& state)
{
    const auto from = static_cast<TByteOrder>(state.range(0));
    QByteArray block = RandomBytes(BlockSize);
    auto* bytes = reinterpret_cast<std::uint8_t*>(block.data());
    for (auto _ : state) {
        ConvertToDeviceOrder(from, bytes, block.size());
        benchmark::DoNotOptimize(bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * BlockSize);
}
BENCHMARK(BM_ConvertBlockToDeviceOrder)->Arg(boBigEndian)->Arg(boLittleEndian);

} // namespace

BENCHMARK_MAIN();
