#pragma once

#include "catalogue/TSortDirection.h"
#include "framework/TStringGrid.h"

// A string grid that keeps its rows sorted on one column. Grids with fixed rows also sort by a
// click on a header cell: the pressed cell looks sunken while the pointer stays on it, a
// release there sorts (a second click on the same column reverses the order), and a release
// elsewhere restores the previous column and direction. The sort column's header cell carries
// a triangle pointing up (ascending) or down (descending).
class TSortedStringGrid : public TStringGrid
{
    Q_OBJECT
    Q_PROPERTY(int SortColumn READ SortColumn WRITE SetSortColumn)
    Q_PROPERTY(TSortDirection SortDirection READ SortDirection WRITE SetSortDirection)
    Q_PROPERTY(bool Sorted READ Sorted WRITE SetSorted)

public:
    explicit TSortedStringGrid(QWidget* parent = nullptr);

    int SortColumn() const { return FSortColumn; }
    // A new column sorts ascending. The rows are sorted even while Sorted is false.
    void SetSortColumn(int column);
    TSortDirection SortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection direction);
    // Header-cell sorting and the header markers; turning it on sorts.
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    // Takes the column and direction of rows that are already in that order, sorted before
    // they came in, and moves no row: another pass of the unstable sort could exchange rows
    // with equal keys.
    void SetSortOrderWithoutSorting(int column, TSortDirection direction);

    // Sorts the rows below the fixed ones by SortColumn in SortDirection.
    void SortRows();
    // Exchanges the texts of two whole rows.
    void ExchangeRows(int a, int b);

    bool HeaderPressed() const { return FHeaderPressed; }
    bool PressedInside() const { return FPressedInside; }

protected:
    void PaintFixedRows(QPainter& painter) override;
    bool FixedRowsMousePress(QMouseEvent* event) override;
    void FixedRowsMouseMove(QMouseEvent* event) override;
    bool FixedRowsMouseRelease(QMouseEvent* event) override;

private:
    bool HeaderSorting() const;
    bool OverSortCell(const QPoint& point) const;
    void Repaint();
    void PaintMarker(QPainter& painter, int column, TSortDirection direction) const;

    bool FHeaderPressed = false;
    bool FPressedInside = false;
    int FSortColumn = 0;
    TSortDirection FSortDirection = sdAscending;
    int FSavedSortColumn = 0;
    TSortDirection FSavedSortDirection = sdAscending;
    bool FSorted = true;
};
