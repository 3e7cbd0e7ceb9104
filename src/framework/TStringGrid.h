#pragma once

#include <QFlags>
#include <QString>
#include <QTableView>

#include <span>
#include <vector>

class QPainter;
class TStringGridModel;

enum TGridOption
{
    goFixedVertLine = 0x01,
    goFixedHorzLine = 0x02,
    goVertLine = 0x04,
    goHorzLine = 0x08,
    goRowSelect = 0x10,
    goThumbTracking = 0x20
};
Q_DECLARE_FLAGS(TGridOptions, TGridOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridOptions)

enum TScrollStyle
{
    ssNone,
    ssHorizontal,
    ssVertical,
    ssBoth
};

// A cell of a grid by column (X) and row (Y); -1 for none.
struct TGridCoord
{
    int X = -1;
    int Y = -1;
};

// A grid of texts addressed by column and row. The first FixedRows rows are the fixed header
// rows: they stay in place while the others scroll, and are drawn as buttons in the header
// strip (FixedRowsWidget). Column widths and the row height exclude the grid lines, which
// take GridLineWidth pixels between cells when the options draw them. Cells(col, row) outside
// the grid are empty; writing them does nothing.
class TStringGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(int ColCount READ ColCount WRITE SetColCount)
    Q_PROPERTY(int RowCount READ RowCount WRITE SetRowCount)
    Q_PROPERTY(int FixedRows READ FixedRows WRITE SetFixedRows)
    Q_PROPERTY(int Row READ Row WRITE SetRow)
    Q_PROPERTY(int DefaultColWidth READ DefaultColWidth WRITE SetDefaultColWidth)
    Q_PROPERTY(int DefaultRowHeight READ DefaultRowHeight WRITE SetDefaultRowHeight)
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE SetGridLineWidth)
    Q_PROPERTY(TGridOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)

public:
    explicit TStringGrid(QWidget* parent = nullptr);
    ~TStringGrid() override;

    int ColCount() const;
    void SetColCount(int count);
    // Never below one row.
    int RowCount() const;
    void SetRowCount(int count);
    // At most RowCount; a smaller RowCount lowers it.
    int FixedRows() const;
    void SetFixedRows(int count);
    // The current row, one of the rows below the fixed ones (FixedRows when there are none).
    int Row() const;
    void SetRow(int row);

    // Setting the default width gives it to every column.
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int width);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions options);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle style);

    int ColWidths(int col) const;
    void SetColWidths(int col, int width);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    // A row's texts, one per column, as the grid holds them.
    std::span<const QString> RowTexts(int row) const;
    void SetRowTexts(int row, std::span<const QString> texts);

    // The widget in which the fixed rows are drawn and clicked.
    QWidget* FixedRowsWidget() const;
    // The text area of a cell, without its grid lines: for a fixed row in FixedRowsWidget's
    // coordinates, otherwise in the viewport's. Empty outside the grid.
    QRect CellRect(int col, int row) const;
    // The fixed cell under a point of FixedRowsWidget, grid lines included.
    TGridCoord FixedCellAt(const QPoint& point) const;

    // The column that type-ahead searches: typing moves to the first row whose text there
    // begins with what was typed.
    int TypeAheadColumn() const { return FTypeAheadColumn; }
    void SetTypeAheadColumn(int col) { FTypeAheadColumn = col; }
    void keyboardSearch(const QString& search) override;

signals:
    // The user chose a cell by mouse, or the current row moved by any key or mouse action.
    // A row set from code (SetRow, a new row count) raises none.
    void Click();

protected:
    TStringGridModel& Model() { return *FModel; }
    void UpdateFixedRows();

    // Hooks for derived grids, on the fixed rows' widget: painting after the grid has drawn
    // them, and the mouse. A press or release hook returns true when it took the event, which
    // the grid then does not see.
    virtual void PaintFixedRows(QPainter& painter);
    virtual bool FixedRowsMousePress(QMouseEvent* event);
    virtual void FixedRowsMouseMove(QMouseEvent* event);
    virtual bool FixedRowsMouseRelease(QMouseEvent* event);

    void mousePressEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void updateGeometries() override;

private:
    int VertLineWidth() const;
    int HorzLineWidth() const;
    int FixedRowHeight() const;
    void ApplyColumnWidths();
    void ApplyRowHeight();
    void KeepCurrentRow();
    void PaintFixedCell(QPainter& painter, int col, int row) const;

    TStringGridModel* FModel;
    class TFixedRowsHeader* FHeader;
    std::vector<int> FColWidths;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    TGridOptions FOptions
        = TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
    TScrollStyle FScrollBars = ssBoth;
    int FTypeAheadColumn = 0;
    QString FTypedAhead;
    qint64 FLastTypedAt = 0;
    // Set while code, not the user, moves the current cell.
    bool FMovingFromCode = false;
};
