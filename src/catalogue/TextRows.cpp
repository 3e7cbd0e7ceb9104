#include "TextRows.h"

#include "PartitionSort.h"

#include <utility>

namespace {

class TTextRowsView
{
public:
    explicit TTextRowsView(std::vector<TTextRow>& rows)
        : FRows(rows)
    {
    }

    const QString& SortKey(int column, int row) const
    {
        static const QString Empty;
        const TTextRow& texts = FRows[std::size_t(row)];
        return std::size_t(column) < texts.size() ? texts[std::size_t(column)] : Empty;
    }

    void ExchangeRows(int a, int b) { std::swap(FRows[std::size_t(a)], FRows[std::size_t(b)]); }

private:
    std::vector<TTextRow>& FRows;
};

} // namespace

void SortTextRows(std::vector<TTextRow>& rows, int firstRow, int column, TSortDirection direction)
{
    TTextRowsView view(rows);
    PartitionSort(view, column, direction, firstRow, int(rows.size()) - 1);
}
