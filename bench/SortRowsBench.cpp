// The table's partition sort on catalogue rows against std::sort of the same keys with the
// same comparison.
#include "catalogue/SortText.h"
#include "catalogue/TextRows.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

constexpr int RowCount = 100000;

const std::vector<TTextRow>& CatalogueRows()
{
    static const std::vector<TTextRow> rows = [] {
        const char* words[] = { "SUPER", "MARIO", "KART", "ZELDA", "GOLDEN", "EYE", "WAVE", "RACE",
            "STAR", "FOX", "BANJO", "PILOT", "WINGS", "F-ZERO", "DONKEY", "KONG", "1080", "TUROK" };
        const char* extensions[] = { "V64", "JAP", "PAL", "USA", "US" };
        std::mt19937 random(64);
        std::vector<TTextRow> made;
        made.reserve(RowCount);
        for (int i = 0; i < RowCount; ++i) {
            QString base = QString::fromLatin1(words[random() % std::size(words)]);
            base += QLatin1Char('_') + QString::fromLatin1(words[random() % std::size(words)]);
            // Some names repeat, as the same game in several versions does.
            base += QString::number(random() % 20000);
            const QString ext = QString::fromLatin1(extensions[random() % std::size(extensions)]);
            const QString image = base.left(20).leftJustified(20);
            const QString size
                = QStringLiteral("%1 MBit").arg(8 << (random() % 7), 3, 10, QLatin1Char('0'));
            made.push_back({ base, ext, image, size, QString(), base + QLatin1Char('.') + ext,
                base.toLower() });
        }
        return made;
    }();
    return rows;
}

void BM_SortRows(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TTextRow> rows = CatalogueRows();
        state.ResumeTiming();
        SortTextRows(rows, 0, 0, sdAscending);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

void BM_StdSortKeys(benchmark::State& state)
{
    std::vector<QString> keys;
    for (const TTextRow& row : CatalogueRows())
        keys.push_back(row[0]);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<QString> sorted = keys;
        state.ResumeTiming();
        std::sort(sorted.begin(), sorted.end(),
            [](const QString& a, const QString& b) { return CompareSortText(a, b) < 0; });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * RowCount);
}

} // namespace

BENCHMARK(BM_SortRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortKeys)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
