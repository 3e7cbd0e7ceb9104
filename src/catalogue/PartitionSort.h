#pragma once

#include "catalogue/SortText.h"
#include "catalogue/TSortDirection.h"

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
// (also a row with itself) and go on until the ends cross, then sort both parts.
template <TSortableRows T>
void PartitionSort(T& rows, int column, TSortDirection direction, int first, int last)
{
    const int sign = direction == sdAscending ? 1 : -1;
    while (first < last) {
        int i = first;
        int j = last;
        const QString pivot = rows.SortKey(column, first + (last - first) / 2);
        do {
            while (sign * CompareSortText(rows.SortKey(column, i), pivot) < 0)
                ++i;
            while (sign * CompareSortText(rows.SortKey(column, j), pivot) > 0)
                --j;
            if (i <= j) {
                rows.ExchangeRows(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        // The two parts are disjoint, so the order in which they are sorted changes nothing;
        // recursing into the smaller one keeps the stack shallow on any input.
        if (j - first < last - i) {
            if (first < j)
                PartitionSort(rows, column, direction, first, j);
            first = i;
        } else {
            if (i < last)
                PartitionSort(rows, column, direction, i, last);
            last = j;
        }
    }
}
