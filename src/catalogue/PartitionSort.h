#pragma once

#include "catalogue/SortText.h"
#include "catalogue/TSortDirection.h"
#include "catalogue/TSortKeys.h"

#include <QString>

#include <concepts>

// Rows that the partition sort can order: the key text of a row in a column, and the exchange
// of two whole rows. Both the table control and plain row lists provide them.
template <typename T>
concept TSortableRows = requires(T& rows, const T& constRows, int column, int row)
{
    {
        constRows.SortKey(column, row)
        } -> std::convertible_to<const QString&>;
    rows.ExchangeRows(row, row);
};

// Sorts rows first to last by their texts in column with the partition steps the table has
// always used. The sort is not stable; rows with equal keys end where these steps leave them,
// and the catalogue's order depends on it, so the steps must not change: pivot the middle
// row's key (taken once), advance from both ends past keys on the right side of it, exchange
// (also a row with itself) and go on until the ends cross, then sort both parts. Each row's
// key is made once (TSortKeys) and compares as its text does under CompareSortText.
template <TSortableRows T>
void PartitionSort(T& rows, int column, TSortDirection direction, int first, int last)
{
    if (first >= last)
        return;
    TSortKeys keys(last - first + 1);
    for (int row = first; row <= last; ++row)
        keys.Append(rows.SortKey(column, row));
    const int sign = direction == sdAscending ? 1 : -1;
    // Positions in keys are rows less `first`.
    const auto sortPart = [&](const auto& self, int low, int high) -> void {
        while (low < high) {
            int i = low;
            int j = high;
            const TSortKeys::TKey pivot = keys.At(low + (high - low) / 2);
            do {
                while (sign * keys.Compare(keys.At(i), pivot) < 0)
                    ++i;
                while (sign * keys.Compare(keys.At(j), pivot) > 0)
                    --j;
                if (i <= j) {
                    rows.ExchangeRows(first + i, first + j);
                    keys.Exchange(i, j);
                    ++i;
                    --j;
                }
            } while (i <= j);
            // The two parts are disjoint, so the order in which they are sorted changes
            // nothing; recursing into the smaller one keeps the stack shallow on any input.
            if (j - low < high - i) {
                if (low < j)
                    self(self, low, j);
                low = i;
            } else {
                if (i < high)
                    self(self, i, high);
                high = j;
            }
        }
    };
    sortPart(sortPart, 0, last - first);
}
