// Transfer speed against the in-process Doctor64, a bare loop making the same register
// accesses without any protocol code, and the peak memory of conveyor-cli sending a
// 64 MiB image to its built-in simulator.

#include "TBenchImage.h"
#include "device/TGameDoctor.h"
#include "simulator/TDoctor64.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 ImageSize = 8 * 1024 * 1024;
constexpr qint64 LargeImageSize = 64 * 1024 * 1024;
constexpr std::uint16_t Data = 0x378;
constexpr std::uint16_t Control = 0x37A;

// The image the benchmarks send, and where the simulator puts what it receives.
struct TImage : TBenchImage
{
    TImage()
        : TBenchImage(ImageSize, QStringLiteral("RACER.V64"), 64)
    {
    }

    QString Out = Folder.filePath(QStringLiteral("received"));
};

TImage& Image()
{
    static TImage image;
    return image;
}

struct TTransferResult
{
    std::uint64_t Accesses;
    double Seconds;
};

TTransferResult Transfer()
{
    TDoctor64 device(Image().Out);
    TGameDoctor doctor;
    doctor.SetPortIo(&device);
    const auto start = std::chrono::steady_clock::now();
    doctor.SendFile(Image().Path);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (device.Files().empty() || !device.Files().back().Complete)
        throw std::runtime_error("the simulator did not receive the image");
    return { device.Reads() + device.Writes(), took.count() };
}

// The stream as the transfer produces it, but sent by the plainest loop there is: the
// handshake's accesses, then read, data, strobe for each byte, then the reads that the
// transfer spends on the phase of each call, so that both make the same accesses.
double BareLoop(std::uint64_t accesses)
{
    static const QByteArray stream = [] {
        QByteArray bytes("GD6R\x01");
        for (int i = 0; i < 4; ++i)
            bytes.append(static_cast<char>(ImageSize >> (8 * i)));
        return bytes + QByteArray("RACER   V64") + Image().Content;
    }();
    TDoctor64 device(Image().Out);
    TPortIo* port = &device;
    benchmark::DoNotOptimize(port);
    const auto start = std::chrono::steady_clock::now();
    std::uint8_t sink = 0;
    port->Write(Data, 0);
    port->Write(Control, 4);
    sink ^= port->Read(Control);
    for (const std::uint8_t value : { 0xAA, 0x55 }) {
        port->Write(Data, value);
        port->Write(Control, 0);
        sink ^= port->Read(Control);
        port->Write(Control, 4);
        sink ^= port->Read(Control);
    }
    std::uint64_t done = device.Reads() + device.Writes();
    std::uint8_t strobe = 4;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.constData());
    for (qsizetype i = 0; i < stream.size(); ++i) {
        sink ^= port->Read(Control);
        port->Write(Data, bytes[i]);
        strobe ^= 1;
        port->Write(Control, strobe);
    }
    done += 3 * static_cast<std::uint64_t>(stream.size());
    for (; done < accesses; ++done)
        sink ^= port->Read(Control);
    benchmark::DoNotOptimize(sink);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (device.Reads() + device.Writes() != accesses)
        throw std::runtime_error("the bare loop made a different number of accesses");
    return took.count();
}

void BM_TransferThroughSimulator(benchmark::State& state)
{
    std::uint64_t accesses = 0;
    for (auto _ : state) {
        const TTransferResult result = Transfer();
        accesses = result.Accesses;
        state.SetIterationTime(result.Seconds);
    }
    state.SetBytesProcessed(state.iterations() * ImageSize);
    state.counters["accesses_per_byte"] = static_cast<double>(accesses) / ImageSize;
}
BENCHMARK(BM_TransferThroughSimulator)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareLoopSameAccesses(benchmark::State& state)
{
    const std::uint64_t accesses = Transfer().Accesses;
    for (auto _ : state)
        state.SetIterationTime(BareLoop(accesses));
    state.SetBytesProcessed(state.iterations() * ImageSize);
    state.counters["accesses_per_byte"] = static_cast<double>(accesses) / ImageSize;
}
BENCHMARK(BM_BareLoopSameAccesses)->UseManualTime()->Unit(benchmark::kMillisecond);

// Both side by side in each iteration, so that the ratio sees the same machine load.
void BM_TransferOverBareLoop(benchmark::State& state)
{
    double transfer = 0;
    double bare = 0;
    for (auto _ : state) {
        const TTransferResult result = Transfer();
        transfer += result.Seconds;
        bare += BareLoop(result.Accesses);
    }
    state.counters["transfer_ms"] = transfer * 1000 / static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bare * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = transfer / bare;
}
BENCHMARK(BM_TransferOverBareLoop)->Unit(benchmark::kMillisecond)->Iterations(20);

// The peak resident size of a process as its parent sees it includes whatever the parent
// had resident when it forked, so the 16 MiB of images this program holds would count
// as the cli's. The program therefore starts itself afresh in this mode, small, and that
// copy runs the cli and prints its exit status and peak in KiB.
constexpr const char* MeasureMode = "--peak-rss-of";

int MeasureChild(char** argv)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execv(argv[0], argv);
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status))
        return 1;
    std::printf("%d %ld\n", WEXITSTATUS(status), usage.ru_maxrss);
    return 0;
}

struct TPeak
{
    double Mebibytes;
    double Seconds;
};

TPeak PeakOf(const std::vector<QByteArray>& arguments)
{
    QStringList list { QString::fromLatin1(MeasureMode), QStringLiteral(CONVEYOR_CLI) };
    for (const QByteArray& argument : arguments)
        list << QString::fromLocal8Bit(argument);
    const auto start = std::chrono::steady_clock::now();
    QProcess helper;
    helper.start(QStringLiteral("/proc/self/exe"), list);
    if (!helper.waitForFinished(600000))
        throw std::runtime_error("the measuring helper did not finish");
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const QList<QByteArray> fields = helper.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2 || fields[0] != "0")
        throw std::runtime_error("conveyor-cli failed");
    return { fields[1].toDouble() / 1024.0, seconds };
}

void BM_CliPeakMemorySending64MiB(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("LARGE.V64"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the large image");
        for (qint64 written = 0; written < LargeImageSize; written += ImageSize)
            file.write(Image().Content);
    }
    const QByteArray out = QFile::encodeName(folder.filePath(QStringLiteral("received")));
    TPeak peak {};
    for (auto _ : state) {
        peak = PeakOf({ "send", "--simulate", out, QFile::encodeName(path) });
        state.SetIterationTime(peak.Seconds);
    }
    if (QFileInfo(QString::fromLocal8Bit(out) + QStringLiteral("/LARGE.V64")).size()
        != LargeImageSize)
        state.SkipWithError("the simulator did not store the whole image");
    state.counters["peak_MiB"] = peak.Mebibytes;
    state.counters["version_only_peak_MiB"] = PeakOf({ "--version" }).Mebibytes;
    state.SetBytesProcessed(state.iterations() * LargeImageSize);
}
BENCHMARK(BM_CliPeakMemorySending64MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], MeasureMode) == 0)
        return MeasureChild(argv + 2);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
