// Filling the catalogue's grid with a large folder's rows and sorting it, as a scan does.
#include "catalogue/CatalogueRow.h"
#include "widgets/TSortedStringGrid.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int RowCount = 10000;

void BM_FillAndSortGrid(benchmark::State& state)
{
    std::mt19937 random(64);
    std::vector<std::vector<QString>> rows;
    for (int i = 0; i < RowCount; ++i) {
        const QString base = QStringLiteral("GAME %1").arg(random() % 100000);
        rows.push_back({ base, QStringLiteral("V64"), base.leftJustified(20),
            QStringLiteral("256 MBit"), QString(), base + QStringLiteral(".V64"),
            base.toLower() + QStringLiteral(".v64") });
    }
    TSortedStringGrid grid;
    grid.SetFixedRows(0);
    grid.SetColCount(CatalogueColumnCount);
    grid.SetOptions(goRowSelect | goThumbTracking);
    grid.resize(640, 400);
    grid.show();
    QApplication::processEvents();
    for (auto _ : state) {
        grid.SetRowCount(0);
        grid.SetRowCount(RowCount);
        for (int row = 0; row < RowCount; ++row)
            grid.SetRowTexts(row, rows[std::size_t(row)]);
        grid.SetSortColumn(ccBaseName);
        grid.SetSortDirection(sdAscending);
        // The repaint that follows belongs to the scan as the user sees it.
        QApplication::processEvents();
    }
}

} // namespace

BENCHMARK(BM_FillAndSortGrid)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
