// Classifying a folder's files against the least any classification must do: open, size,
// read the header, close.
#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FileCount = 10000;

struct TImageFolder
{
    QTemporaryDir Dir;
    QStringList Names;

    TImageFolder()
    {
        QByteArray header(4096, '\0');
        header.replace(0, 4, "\x37\x80\x40\x12");
        header.replace(0x20, 20, "ETTSI AMEG          ");
        header[0x3F] = 'E';
        for (int i = 0; i < FileCount; ++i) {
            const QString name = QStringLiteral("Image %1.v64").arg(i, 5, 10, QLatin1Char('0'));
            QFile file(Dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size())
                throw std::runtime_error("cannot write the bench folder");
            Names.append(name);
        }
    }
};

const TImageFolder& Folder()
{
    static const TImageFolder folder;
    return folder;
}

void BM_ClassifyImageFiles(benchmark::State& state)
{
    const TImageFolder& folder = Folder();
    const QString directory = SelectedDirectory(folder.Dir.path());
    std::vector<QString> row(CatalogueColumnCount);
    for (auto _ : state) {
        for (const QString& name : folder.Names) {
            ClassifyImageFile(directory, name, row);
            benchmark::DoNotOptimize(row.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

void BM_BareOpenSizeReadClose(benchmark::State& state)
{
    const TImageFolder& folder = Folder();
    const QString directory = SelectedDirectory(folder.Dir.path());
    char buffer[64];
    for (auto _ : state) {
        for (const QString& name : folder.Names) {
            const int handle = ::open(QFile::encodeName(directory + name).constData(), O_RDONLY);
            struct stat status;
            ::fstat(handle, &status);
            benchmark::DoNotOptimize(::read(handle, buffer, sizeof buffer));
            benchmark::DoNotOptimize(status.st_size);
            ::close(handle);
        }
    }
    state.SetItemsProcessed(state.iterations() * FileCount);
}

} // namespace

// The bare loop first, so both run on a warm cache.
BENCHMARK(BM_BareOpenSizeReadClose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClassifyImageFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareOpenSizeReadClose)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
