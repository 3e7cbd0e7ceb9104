#include "TextRows.h"

#include "catalogue/PartitionSort.h"

#include <utility>

namespace {

// The sort runs on the rows' keys side by side with their row numbers: the same steps give
// the same order, and the keys lie together in memory instead of one row block each.
class TKeyedRows
{
public:
    TKeyedRows(const std::vector<TTextRow>& rows, int column)
    {
        FKeys.reserve(rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const TTextRow& texts = rows[row];
            FKeys.push_back(
                { std::size_t(column) < texts.size() ? texts[std::size_t(column)] : QString(),
                    row });
        }
    }

    const QString& SortKey(int, int row) const { return FKeys[std::size_t(row)].Text; }

    void ExchangeRows(int a, int b) { std::swap(FKeys[std::size_t(a)], FKeys[std::size_t(b)]); }

    // Moves every row to the place the sort gave it.
    void Apply(std::vector<TTextRow>& rows) const
    {
        std::vector<TTextRow> sorted;
        sorted.reserve(rows.size());
        for (const TKey& key : FKeys)
            sorted.push_back(std::move(rows[key.Row]));
        rows = std::move(sorted);
    }

private:
    struct TKey
    {
        QString Text;
        std::size_t Row;
    };

    std::vector<TKey> FKeys;
};

} // namespace

void SortTextRows(std::vector<TTextRow>& rows, int firstRow, int column, TSortDirection direction)
{
    if (int(rows.size()) - 1 - firstRow < 1)
        return;
    TKeyedRows keyed(rows, column);
    PartitionSort(keyed, column, direction, firstRow, int(rows.size()) - 1);
    keyed.Apply(rows);
}
