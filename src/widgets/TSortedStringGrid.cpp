#include "TSortedStringGrid.h"

#include "catalogue/PartitionSort.h"
#include "framework/InnerEdge.h"
#include "framework/TStringGridModel.h"

#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

namespace {

// The sort's view of the grid: rows exchange without a view update each; the grid tells
// its views once when the sort is over. The current row is followed as it moves, so that
// the row the user chose stays chosen: "Deliver" and "Rename" act on it.
class TGridRows
{
public:
    TGridRows(TStringGridModel& model, int current)
        : FModel(model)
        , FCurrent(current)
    {
    }

    const QString& SortKey(int column, int row) const { return FModel.Cell(column, row); }
    void ExchangeRows(int a, int b)
    {
        FModel.SwapRowTexts(a, b);
        if (FCurrent == a)
            FCurrent = b;
        else if (FCurrent == b)
            FCurrent = a;
    }
    // Where the row that was current has gone.
    int Current() const { return FCurrent; }

private:
    TStringGridModel& FModel;
    int FCurrent;
};

// A one-pixel line from one point towards another, the end point left out, as the classic
// line drawing does.
void DrawLine(QPainter& painter, QPoint from, QPoint to)
{
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint point = from;
    while (point != to) {
        painter.drawPoint(point);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            point.rx() += stepX;
        }
        if (twice <= dx) {
            error += dx;
            point.ry() += stepY;
        }
    }
}

} // namespace

TSortedStringGrid::TSortedStringGrid(QWidget* parent)
    : TStringGrid(parent)
{
}

void TSortedStringGrid::SetSortColumn(int column)
{
    if (column != FSortColumn)
        FSortDirection = sdAscending;
    FSortColumn = column;
    SortRows();
    Repaint();
}

void TSortedStringGrid::SetSortDirection(TSortDirection direction)
{
    FSortDirection = direction;
    SortRows();
    Repaint();
}

void TSortedStringGrid::SetSorted(bool sorted)
{
    FSorted = sorted;
    if (sorted)
        SortRows();
    Repaint();
}

void TSortedStringGrid::SetSortOrderWithoutSorting(int column, TSortDirection direction)
{
    FSortColumn = column;
    FSortDirection = direction;
    Repaint();
}

void TSortedStringGrid::SortRows()
{
    const int first = FixedRows();
    const int last = RowCount() - 1;
    if (last - first < 1)
        return;
    TGridRows rows(Model(), Row());
    PartitionSort(rows, FSortColumn, FSortDirection, first, last);
    Model().TextsChanged();
    if (rows.Current() != Row())
        SetRow(rows.Current());
}

void TSortedStringGrid::ExchangeRows(int a, int b)
{
    if (a < 0 || b < 0 || a >= RowCount() || b >= RowCount())
        return;
    Model().SwapRowTexts(a, b);
    Model().RowTextsChanged(a);
    Model().RowTextsChanged(b);
}

bool TSortedStringGrid::HeaderSorting() const
{
    return FSorted && FixedRows() >= 1;
}

bool TSortedStringGrid::OverSortCell(const QPoint& point) const
{
    const TGridCoord cell = FixedCellAt(point);
    return cell.X == FSortColumn && cell.Y == 0;
}

void TSortedStringGrid::Repaint()
{
    FixedRowsWidget()->update();
    viewport()->update();
}

bool TSortedStringGrid::FixedRowsMousePress(QMouseEvent* event)
{
    if (!HeaderSorting() || event->button() != Qt::LeftButton)
        return false;
    const QPoint point = event->position().toPoint();
    const TGridCoord cell = FixedCellAt(point);
    if (cell.Y != 0 || cell.X < 0)
        return false;
    // A press near a cell's side edge is left to the grid.
    const QRect rect = CellRect(cell.X, 0);
    if (point.x() < rect.left() + 4 || point.x() > rect.left() + rect.width() - 4)
        return false;
    FSavedSortColumn = FSortColumn;
    FSavedSortDirection = FSortDirection;
    if (cell.X != FSortColumn)
        FSortDirection = sdAscending;
    FSortColumn = cell.X;
    FHeaderPressed = true;
    FPressedInside = true;
    Repaint();
    return true;
}

void TSortedStringGrid::FixedRowsMouseMove(QMouseEvent* event)
{
    if (!FHeaderPressed)
        return;
    const bool inside = OverSortCell(event->position().toPoint());
    if (inside != FPressedInside) {
        FPressedInside = inside;
        Repaint();
    }
}

bool TSortedStringGrid::FixedRowsMouseRelease(QMouseEvent* event)
{
    if (!FHeaderPressed || event->button() != Qt::LeftButton)
        return false;
    if (OverSortCell(event->position().toPoint())) {
        if (FSavedSortColumn == FSortColumn)
            FSortDirection = FSortDirection == sdAscending ? sdDescending : sdAscending;
        else
            FSortDirection = sdAscending;
        SortRows();
    } else {
        FSortColumn = FSavedSortColumn;
        FSortDirection = FSavedSortDirection;
    }
    FHeaderPressed = false;
    Repaint();
    return true;
}

void TSortedStringGrid::PaintFixedRows(QPainter& painter)
{
    if (!HeaderSorting() || FSortColumn < 0 || FSortColumn >= ColCount())
        return;
    const QRect rect = CellRect(FSortColumn, 0);
    DrawInnerEdge(painter, rect, FHeaderPressed && FPressedInside ? ieSunken : ieRaised, palette());
    PaintMarker(painter, FSortColumn, FSortDirection);
    if (FHeaderPressed && FSavedSortColumn >= 0 && FSavedSortColumn < ColCount())
        PaintMarker(painter, FSavedSortColumn, FSavedSortDirection);
}

void TSortedStringGrid::PaintMarker(QPainter& painter, int column, TSortDirection direction) const
{
    const QRect rect = CellRect(column, 0);
    const int right = rect.left() + rect.width();
    const int x
        = std::min(rect.left() + fontMetrics().horizontalAdvance(Cells(column, 0)) + 8, right - 8);
    const int y = rect.top() + 4;
    const QColor highlight = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    painter.save();
    painter.setClipRect(rect);
    if (direction == sdAscending) {
        painter.setPen(highlight);
        DrawLine(painter, { x + 4, y }, { x + 7, y + 6 });
        DrawLine(painter, { x + 7, y + 6 }, { x - 1, y + 6 });
        painter.setPen(shadow);
        DrawLine(painter, { x + 3, y }, { x - 1, y + 7 });
    } else {
        painter.setPen(highlight);
        DrawLine(painter, { x + 7, y }, { x + 4, y + 6 });
        painter.setPen(shadow);
        DrawLine(painter, { x, y }, { x + 7, y });
        DrawLine(painter, { x, y }, { x + 3, y + 6 });
    }
    painter.restore();
}
