// Archives against the same images as plain files: listing a folder of single-image zips
// (the first time, and again from the cache), listing a solid 7z of several images against
// one pass over it, and delivering an image from a zip and a 7z to the in-process
// simulator, with its port accesses and its peak memory.
//
// Figures on a 2-core machine shared with other work (Release; medians of 3 repetitions):
//   listing 200 zips of 8 MiB images, first time     5.0 x the 200 plain images (6.5 ms)
//   the same listing again, from the cache           1.33 x the plain images (1.7 ms)
//   listing a solid 7z of 10 images of 8 MiB         0.98 x one pass over it (3.1 s)
//   delivering 32 MiB, padded layout: zip 1.16 x, 7z 1.48 x the plain .z64 (0.47 s);
//     single runs ranged over zip 0.97 to 1.19 x, 7z 1.17 to 1.48 x
//   delivering 32 MiB, dense content: zip 1.21 to 1.84 x (the read-ahead needs the second
//     core, which other work on this machine often held), 7z 8 to 11 x: LZMA decodes such
//     bytes at about 20 MB/s, and the integrity pass cannot overlap the transfer
//   port accesses per byte 3.00003 in every case; peak memory of a delivery 3.2 MiB plain,
//   5.0 MiB zip, 38 MiB 7z (the 32 MiB LZMA2 dictionary 7-Zip chose for this file).

#include "catalogue/CatalogueRow.h"
#include "catalogue/ListCatalogue.h"
#include "catalogue/TArchiveCache.h"
#include "device/TGameDoctor.h"
#include "image/TImageSource.h"
#include "simulator/TDoctor64.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 ListedImageSize = 8 * 1024 * 1024;
constexpr int FolderFiles = 200;
constexpr int SolidImages = 10;
constexpr qint64 DeliveredImageSize = 32 * 1024 * 1024;

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// Image bytes that compress about as a cartridge does, to roughly half: a big-endian
// header, then bytes of four random bits each.
QByteArray ImageContent(qint64 size, quint32 seed, const QByteArray& name)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = seed * 2654435761u + 1;
    for (qint64 i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(0x40 | (state >> 28));
    }
    bytes.replace(0, 4, "\x80\x37\x12\x40");
    bytes.replace(0x20, 20, name.leftJustified(20, ' '));
    bytes[0x3E] = 'E';
    return bytes;
}

// Image bytes laid out as many cartridges are: a quarter incompressible (assets packed by
// the game itself), a quarter repeating code-like words, half padding to the cartridge
// size. These inflate several times faster than ImageContent's.
QByteArray PaddedImageContent(qint64 size, quint32 seed, const QByteArray& name)
{
    QByteArray bytes = ImageContent(size, seed, name);
    quint32 state = seed;
    for (qint64 i = size / 4; i < size / 2; ++i) {
        if (i % 4096 == 0)
            state = state * 1664525u + 1013904223u;
        bytes[i] = char((i * 7 + (state >> 24)) & 0xFF);
    }
    std::memset(bytes.data() + size / 2, 0xFF, std::size_t(size - size / 2));
    for (qint64 i = 64; i < size / 4; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("cannot write a bench file");
}

void Pack(const QString& folder, const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        throw std::runtime_error("a packer failed: " + program.toStdString());
}

// Where every fixture of this process lives, with the cache of this process only, which
// is emptied where a first listing is measured.
const QTemporaryDir& Root()
{
    static const QTemporaryDir root = [] {
        QTemporaryDir dir;
        ::setenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")).constData(), 1);
        return dir;
    }();
    return root;
}

void EmptyCache()
{
    QFile::remove(TArchiveCache::UserFolder() + QLatin1Char('/') + TArchiveCache::FileName);
}

QDir FixtureFolder(const char* name)
{
    QDir(Root().path()).mkdir(QString::fromLatin1(name));
    return QDir(Root().filePath(QString::fromLatin1(name)));
}

// 200 images of 8 MiB, plain and each in a deflate zip of its own: the same image under 200
// names, as hard links, so the folders cost the disk one copy each; every listing opens and
// reads each name as it would a file of its own.
struct TListFixture
{
    TListFixture()
    {
        WriteFile(Plain.filePath("image.z64"), ImageContent(ListedImageSize, 1, "SPEED RACER"));
        Pack(Plain.path(), QStringLiteral("zip"), { "-q", "-6", "../zips/first.zip", "image.z64" });
        for (int i = 0; i < FolderFiles; ++i) {
            const QString name = QStringLiteral("Racer %1").arg(i, 3, 10, QLatin1Char('0'));
            if (::link(QFile::encodeName(Plain.filePath("image.z64")).constData(),
                    QFile::encodeName(Plain.filePath(name + ".z64")).constData())
                    != 0
                || ::link(QFile::encodeName(Zips.filePath("first.zip")).constData(),
                       QFile::encodeName(Zips.filePath(name + ".zip")).constData())
                    != 0)
                throw std::runtime_error("cannot link the bench folders");
            PlainNames << name + ".z64";
            ZipNames << name + ".zip";
        }
        QFile::remove(Plain.filePath("image.z64"));
        QFile::remove(Zips.filePath("first.zip"));
    }

    QDir Plain = FixtureFolder("plain");
    QDir Zips = FixtureFolder("zips");
    QStringList PlainNames;
    QStringList ZipNames;
};

// A solid 7z of 10 images of 8 MiB.
struct TSolidFixture
{
    TSolidFixture()
    {
        QStringList members;
        for (int i = 0; i < SolidImages; ++i) {
            const QString name = QStringLiteral("Racer (V%1).z64").arg(i);
            WriteFile(Folder.filePath(name), ImageContent(ListedImageSize, 10 + i, "RACER"));
            members << name;
        }
        Pack(Folder.path(), QStringLiteral("7z"),
            QStringList { "a", "-bd", "-ms=on", "-mx=5", "Racer.7z" } + members);
        for (const QString& member : members)
            QFile::remove(Folder.filePath(member));
        LastMember = members.last();
    }

    QDir Folder = FixtureFolder("solid");
    QString LastMember;
};

// A 32 MiB image, plain, in a deflate zip and in a 7z: dense content in "send", the padded
// layout in "padded".
struct TSendFixture
{
    explicit TSendFixture(bool padded)
        : Folder(FixtureFolder(padded ? "padded" : "send"))
    {
        WriteFile(Folder.filePath("Speed Racer.z64"),
            padded ? PaddedImageContent(DeliveredImageSize, 2, "SPEED RACER")
                   : ImageContent(DeliveredImageSize, 2, "SPEED RACER"));
        Pack(Folder.path(), QStringLiteral("zip"),
            { "-q", "-6", "Speed Racer.zip", "Speed Racer.z64" });
        Pack(Folder.path(), QStringLiteral("7z"),
            { "a", "-bd", "-mx=5", "Speed Racer.7z", "Speed Racer.z64" });
    }

    QDir Folder;
    QString Out = Root().filePath("received");
};

const TSendFixture& SendFixture(bool padded)
{
    static const TSendFixture dense(false);
    if (!padded)
        return dense;
    static const TSendFixture paddedFixture(true);
    return paddedFixture;
}

template <typename TFixture> const TFixture& Fixture()
{
    static const TFixture fixture;
    return fixture;
}

double ListSeconds(const QDir& folder, const QStringList& names, qsizetype expectedRows)
{
    const auto start = TClock::now();
    const std::vector<TTextRow> rows = CatalogueRows(folder.path(), names);
    const double seconds = SecondsSince(start);
    if (qsizetype(rows.size()) != expectedRows || rows.front()[ccImageName].startsWith("--"))
        throw std::runtime_error("the listing is not what was packed");
    return seconds;
}

// (a) and (b): 200 single-image zips listed with an empty cache and again from it, each
// beside the plain listing of the same images in the same iteration.
void BM_ListZipFolder(benchmark::State& state)
{
    const TListFixture& fixtures = Fixture<TListFixture>();
    double plain = 0;
    double first = 0;
    double again = 0;
    for (auto _ : state) {
        plain += ListSeconds(fixtures.Plain, fixtures.PlainNames, FolderFiles);
        EmptyCache();
        first += ListSeconds(fixtures.Zips, fixtures.ZipNames, FolderFiles);
        again += ListSeconds(fixtures.Zips, fixtures.ZipNames, FolderFiles);
        state.SetIterationTime(first);
    }
    const double n = double(state.iterations());
    state.counters["plain_ms"] = plain * 1000 / n;
    state.counters["first_ms"] = first * 1000 / n;
    state.counters["cached_ms"] = again * 1000 / n;
    state.counters["first_over_plain"] = first / plain;
    state.counters["cached_over_plain"] = again / plain;
}
BENCHMARK(BM_ListZipFolder)->Unit(benchmark::kMillisecond)->Iterations(10);

// (b) The solid 7z listed with an empty cache against one pass over it: opening its last
// member inflates every one before it, reading it inflates the rest.
double OnePassSeconds(const TSolidFixture& fixture)
{
    const auto start = TClock::now();
    TImageSource source(fixture.Folder.filePath("Racer.7z"), fixture.LastMember);
    std::vector<char> block(65536);
    qint64 total = 0;
    for (qint64 step; (step = source.Read(block.data(), qint64(block.size()))) > 0;)
        total += step;
    const double seconds = SecondsSince(start);
    if (total != ListedImageSize)
        throw std::runtime_error("the last member is not whole");
    return seconds;
}

void BM_ListSolidSevenZip(benchmark::State& state)
{
    const TSolidFixture& fixture = Fixture<TSolidFixture>();
    const QStringList names { QStringLiteral("Racer.7z") };
    double listing = 0;
    double pass = 0;
    double again = 0;
    for (auto _ : state) {
        pass += OnePassSeconds(fixture);
        EmptyCache();
        listing += ListSeconds(fixture.Folder, names, SolidImages);
        again += ListSeconds(fixture.Folder, names, SolidImages);
    }
    const double n = double(state.iterations());
    state.counters["one_pass_ms"] = pass * 1000 / n;
    state.counters["listing_ms"] = listing * 1000 / n;
    state.counters["cached_ms"] = again * 1000 / n;
    state.counters["listing_over_one_pass"] = listing / pass;
}
BENCHMARK(BM_ListSolidSevenZip)->Unit(benchmark::kMillisecond)->Iterations(5);

// (c) Delivery to the in-process simulator, the integrity pass included.
struct TDelivery
{
    double Seconds = 0;
    std::uint64_t Accesses = 0;
};

TDelivery Deliver(const QString& name, const QString& out)
{
    TDoctor64 device(out);
    TGameDoctor doctor;
    doctor.SetPortIo(&device);
    const auto start = TClock::now();
    doctor.SendFile(name);
    const double seconds = SecondsSince(start);
    if (device.Files().empty() || !device.Files().back().Complete
        || device.Files().back().ReceivedBytes != DeliveredImageSize)
        throw std::runtime_error("the simulator did not receive the image");
    return { seconds, device.Reads() + device.Writes() };
}

// The peak resident size of a delivery alone. A process's peak counts whatever its parent
// had resident when it forked, even across exec, so the program starts itself afresh in
// this mode, small, and that copy forks twice: once to do nothing, once to deliver; the
// difference of the two peaks, in KiB, is what the delivery costs.
constexpr const char* PeakMode = "--delivery-peak";

long PeakOfChild(const char* name, const char* out)
{
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            if (name)
                Deliver(QString::fromLocal8Bit(name), QString::fromLocal8Bit(out));
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

int RunPeakMode(const char* name, const char* out)
{
    const long idle = PeakOfChild(nullptr, nullptr);
    const long delivering = PeakOfChild(name, out);
    if (idle < 0 || delivering < 0)
        return 1;
    std::printf("%ld %ld\n", idle, delivering);
    return 0;
}

// The growth of the peak resident size in MiB that one delivery of the name causes.
double PeakGrowthMiB(const QString& name, const QString& out)
{
    QProcess helper;
    helper.start(QStringLiteral("/proc/self/exe"), { QString::fromLatin1(PeakMode), name, out });
    if (!helper.waitForFinished(600000) || helper.exitCode() != 0)
        throw std::runtime_error("the measuring copy failed");
    const QList<QByteArray> fields = helper.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 2)
        throw std::runtime_error("the measuring copy said nothing");
    return (fields[1].toDouble() - fields[0].toDouble()) / 1024.0;
}

void BM_DeliverFromArchives(benchmark::State& state)
{
    const TSendFixture& fixture = SendFixture(state.range(0) != 0);
    const QString& out = fixture.Out;
    const QString plainName = fixture.Folder.filePath("Speed Racer.z64");
    const QString zipName = fixture.Folder.filePath("Speed Racer.zip");
    const QString sevenZipName = fixture.Folder.filePath("Speed Racer.7z");
    double plain = 0;
    double zip = 0;
    double sevenZip = 0;
    std::uint64_t accesses[3] = {};
    for (auto _ : state) {
        TDelivery delivery = Deliver(plainName, out);
        plain += delivery.Seconds;
        accesses[0] = delivery.Accesses;
        delivery = Deliver(zipName, out);
        zip += delivery.Seconds;
        accesses[1] = delivery.Accesses;
        delivery = Deliver(sevenZipName, out);
        sevenZip += delivery.Seconds;
        accesses[2] = delivery.Accesses;
    }
    const double n = double(state.iterations());
    state.counters["plain_ms"] = plain * 1000 / n;
    state.counters["zip_ms"] = zip * 1000 / n;
    state.counters["7z_ms"] = sevenZip * 1000 / n;
    state.counters["zip_over_plain"] = zip / plain;
    state.counters["7z_over_plain"] = sevenZip / plain;
    state.counters["plain_ops_per_byte"] = double(accesses[0]) / DeliveredImageSize;
    state.counters["zip_ops_per_byte"] = double(accesses[1]) / DeliveredImageSize;
    state.counters["7z_ops_per_byte"] = double(accesses[2]) / DeliveredImageSize;
    state.counters["plain_peak_growth_MiB"] = PeakGrowthMiB(plainName, out);
    state.counters["zip_peak_growth_MiB"] = PeakGrowthMiB(zipName, out);
    state.counters["7z_peak_growth_MiB"] = PeakGrowthMiB(sevenZipName, out);
}
// 0: dense content, 1: the padded layout.
BENCHMARK(BM_DeliverFromArchives)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], PeakMode) == 0)
        return RunPeakMode(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
