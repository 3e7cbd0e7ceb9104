// Delivering the same 32 MiB image as a device-order, a big-endian and a little-endian file
// through the in-process Doctor64, in the same run: the conversion on the way must cost
// next to nothing beside the port's three accesses per byte.

#include "device/TGameDoctor.h"
#include "simulator/TDoctor64.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <stdexcept>
#include <time.h>

namespace {

constexpr qint64 ImageSize = 32 * 1024 * 1024;

struct TOrderFile
{
    const char* Name;
    int Flip; // the file holds the cartridge's byte i at i ^ Flip
};

constexpr std::array<TOrderFile, 3> Files = { {
    { "RACER.V64", 1 },
    { "RACER.Z64", 0 },
    { "RACER.N64", 3 },
} };

// The same cartridge in the three files.
struct TImages
{
    QTemporaryDir Folder;
    QString Out = Folder.filePath(QStringLiteral("received"));

    TImages()
    {
        QByteArray cartridge(ImageSize, Qt::Uninitialized);
        QRandomGenerator generator(32);
        for (char& byte : cartridge)
            byte = static_cast<char>(generator.generate() & 0xFF);
        cartridge.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
        for (const TOrderFile& order : Files) {
            QByteArray content(ImageSize, Qt::Uninitialized);
            for (qsizetype i = 0; i < ImageSize; ++i)
                content[i ^ order.Flip] = cartridge[i];
            QFile file(Path(order));
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                throw std::runtime_error("cannot write the images");
        }
    }

    QString Path(const TOrderFile& order) const
    {
        return Folder.filePath(QString::fromLatin1(order.Name));
    }
};

struct TTransferResult
{
    std::uint64_t Accesses;
    double Seconds;
    double CpuSeconds;
};

// The time this thread ran: on a loaded machine the wall clock also counts the others.
double ThreadSeconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TTransferResult Transfer(const QString& path, const QString& out)
{
    TDoctor64 device(out);
    TGameDoctor doctor;
    doctor.SetPortIo(&device);
    const double cpu = ThreadSeconds();
    const auto start = std::chrono::steady_clock::now();
    doctor.SendFile(path);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpuTook = ThreadSeconds() - cpu;
    if (device.Files().empty() || !device.Files().back().Complete)
        throw std::runtime_error("the simulator did not receive the image");
    return { device.Reads() + device.Writes(), took.count(), cpuTook };
}

void BM_DeliverInEachByteOrder(benchmark::State& state)
{
    static const TImages images;
    std::array<double, Files.size()> seconds {};
    std::array<double, Files.size()> cpuSeconds {};
    // The fastest of each: what other load on the machine added is least in them.
    std::array<double, Files.size()> best {};
    std::array<double, Files.size()> cpuBest {};
    best.fill(1e300);
    cpuBest.fill(1e300);
    std::array<std::uint64_t, Files.size()> accesses {};
    std::size_t round = 0;
    for (auto _ : state) {
        // Each round starts with another order, so none always runs on a warmer machine.
        for (std::size_t k = 0; k < Files.size(); ++k) {
            const std::size_t i = (round + k) % Files.size();
            const TTransferResult result = Transfer(images.Path(Files[i]), images.Out);
            seconds[i] += result.Seconds;
            cpuSeconds[i] += result.CpuSeconds;
            best[i] = std::min(best[i], result.Seconds);
            cpuBest[i] = std::min(cpuBest[i], result.CpuSeconds);
            accesses[i] = result.Accesses;
        }
        ++round;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["v64_ms"] = seconds[0] * 1000 / iterations;
    state.counters["z64_ms"] = seconds[1] * 1000 / iterations;
    state.counters["n64_ms"] = seconds[2] * 1000 / iterations;
    state.counters["z64_over_v64"] = seconds[1] / seconds[0];
    state.counters["n64_over_v64"] = seconds[2] / seconds[0];
    state.counters["z64_over_v64_cpu"] = cpuSeconds[1] / cpuSeconds[0];
    state.counters["n64_over_v64_cpu"] = cpuSeconds[2] / cpuSeconds[0];
    state.counters["z64_over_v64_best"] = best[1] / best[0];
    state.counters["n64_over_v64_best"] = best[2] / best[0];
    state.counters["z64_over_v64_best_cpu"] = cpuBest[1] / cpuBest[0];
    state.counters["n64_over_v64_best_cpu"] = cpuBest[2] / cpuBest[0];
    state.counters["v64_accesses_per_byte"] = static_cast<double>(accesses[0]) / ImageSize;
    state.counters["z64_accesses_per_byte"] = static_cast<double>(accesses[1]) / ImageSize;
    state.counters["n64_accesses_per_byte"] = static_cast<double>(accesses[2]) / ImageSize;
}
BENCHMARK(BM_DeliverInEachByteOrder)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
