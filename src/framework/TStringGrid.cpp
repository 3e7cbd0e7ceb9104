#include "TStringGrid.h"

#include "framework/InnerEdge.h"
#include "framework/TStringGridModel.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <functional>

// The strip above the scrolling rows that shows the fixed rows. It follows the columns'
// widths and horizontal scrolling like any table header, but draws the fixed rows' cells
// and hands its mouse to the grid's hooks.
class TFixedRowsHeader : public QHeaderView
{
public:
    explicit TFixedRowsHeader(QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent)
    {
    }

    std::function<void(QPainter&, int)> PaintColumn;
    std::function<void(QPainter&)> AfterPaint;
    std::function<bool(QMouseEvent*)> Press;
    std::function<void(QMouseEvent*)> Move;
    std::function<bool(QMouseEvent*)> Release;
    int StripHeight = 0;

    QSize sizeHint() const override { return { QHeaderView::sizeHint().width(), StripHeight }; }

protected:
    void paintSection(QPainter* painter, const QRect&, int logicalIndex) const override
    {
        PaintColumn(*painter, logicalIndex);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QHeaderView::paintEvent(event);
        QPainter painter(viewport());
        AfterPaint(painter);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (!Press(event))
            QHeaderView::mousePressEvent(event);
    }

    // The second press of a quick double click is a press all the same.
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (!Press(event))
            QHeaderView::mouseDoubleClickEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        Move(event);
        QHeaderView::mouseMoveEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!Release(event))
            QHeaderView::mouseReleaseEvent(event);
    }
};

namespace {

// Draws the scrolling cells: the text two pixels in from the top left corner, and the grid
// lines in the gap the options leave to the right of and below each cell.
class TGridCellDelegate : public QStyledItemDelegate
{
public:
    explicit TGridCellDelegate(TStringGrid* grid)
        : QStyledItemDelegate(grid)
        , FGrid(grid)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        const TGridOptions options = FGrid->Options();
        const int vertLine = options.testFlag(goVertLine) ? FGrid->GridLineWidth() : 0;
        const int horzLine = options.testFlag(goHorzLine) ? FGrid->GridLineWidth() : 0;
        const QPalette& palette = option.palette;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QRect cell = option.rect.adjusted(0, 0, -vertLine, -horzLine);
        painter->fillRect(option.rect, palette.color(QPalette::Button));
        painter->fillRect(cell, palette.color(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(cell);
        painter->drawText(cell.adjusted(2, 2, 0, 0),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            index.data(Qt::DisplayRole).toString());
        painter->setClipping(false);
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return { FGrid->DefaultColWidth(), FGrid->DefaultRowHeight() };
    }

private:
    TStringGrid* FGrid;
};

} // namespace

TStringGrid::TStringGrid(QWidget* parent)
    : QTableView(parent)
    , FModel(new TStringGridModel(this))
    , FHeader(new TFixedRowsHeader(this))
{
    FHeader->PaintColumn = [this](QPainter& painter, int col) {
        for (int row = 0; row < FixedRows(); ++row)
            PaintFixedCell(painter, col, row);
    };
    FHeader->AfterPaint = [this](QPainter& painter) { PaintFixedRows(painter); };
    FHeader->Press = [this](QMouseEvent* event) { return FixedRowsMousePress(event); };
    FHeader->Move = [this](QMouseEvent* event) { FixedRowsMouseMove(event); };
    FHeader->Release = [this](QMouseEvent* event) { return FixedRowsMouseRelease(event); };
    FHeader->setSectionsClickable(false);
    FHeader->setHighlightSections(false);
    FHeader->setMinimumSectionSize(0);
    FHeader->setStretchLastSection(false);
    setHorizontalHeader(FHeader);
    setModel(FModel);
    FHeader->setSectionResizeMode(QHeaderView::Fixed);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setItemDelegate(new TGridCellDelegate(this));
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // Tab leaves the grid for the next control, as in any form, instead of walking its cells.
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    connect(FModel, &QAbstractItemModel::rowsInserted, this, &TStringGrid::KeepCurrentRow);
    connect(FModel, &QAbstractItemModel::rowsRemoved, this, &TStringGrid::KeepCurrentRow);
    connect(FModel, &QAbstractItemModel::modelReset, this, &TStringGrid::KeepCurrentRow);
    connect(FModel, &QAbstractItemModel::headerDataChanged, FHeader->viewport(),
        qOverload<>(&QWidget::update));

    FModel->SetColCount(5);
    FModel->SetRowCount(5);
    FModel->SetFixedRows(1);
    FColWidths.assign(5, FDefaultColWidth);
    SetOptions(FOptions);
    SetScrollBars(FScrollBars);
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::ColCount() const
{
    return FModel->ColCount();
}

void TStringGrid::SetColCount(int count)
{
    FModel->SetColCount(count);
    FColWidths.resize(std::size_t(FModel->ColCount()), FDefaultColWidth);
    ApplyColumnWidths();
}

int TStringGrid::RowCount() const
{
    return FModel->RowCount();
}

void TStringGrid::SetRowCount(int count)
{
    const int fixed = FModel->FixedRows();
    FModel->SetRowCount(count);
    if (FModel->FixedRows() != fixed)
        UpdateFixedRows();
}

int TStringGrid::FixedRows() const
{
    return FModel->FixedRows();
}

void TStringGrid::SetFixedRows(int count)
{
    FModel->SetFixedRows(count);
    UpdateFixedRows();
}

int TStringGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + FixedRows() : FixedRows();
}

void TStringGrid::SetRow(int row)
{
    if (row < FixedRows() || row >= RowCount())
        return;
    const QScopedValueRollback fromCode(FMovingFromCode, true);
    setCurrentIndex(FModel->index(row - FixedRows(), std::max(currentIndex().column(), 0)));
}

void TStringGrid::SetDefaultColWidth(int width)
{
    FDefaultColWidth = std::max(width, 0);
    std::fill(FColWidths.begin(), FColWidths.end(), FDefaultColWidth);
    ApplyColumnWidths();
}

void TStringGrid::SetDefaultRowHeight(int height)
{
    FDefaultRowHeight = std::max(height, 0);
    ApplyRowHeight();
}

void TStringGrid::SetGridLineWidth(int width)
{
    FGridLineWidth = std::max(width, 0);
    ApplyColumnWidths();
    ApplyRowHeight();
}

void TStringGrid::SetOptions(TGridOptions options)
{
    FOptions = options;
    setSelectionBehavior(options.testFlag(goRowSelect) ? QAbstractItemView::SelectRows
                                                       : QAbstractItemView::SelectItems);
    verticalScrollBar()->setTracking(options.testFlag(goThumbTracking));
    horizontalScrollBar()->setTracking(options.testFlag(goThumbTracking));
    ApplyColumnWidths();
    ApplyRowHeight();
    // A change of selection behaviour leaves the old selection as it was.
    const QModelIndex current = currentIndex();
    if (current.isValid())
        selectionModel()->setCurrentIndex(current,
            QItemSelectionModel::ClearAndSelect
                | (options.testFlag(goRowSelect) ? QItemSelectionModel::Rows
                                                 : QItemSelectionModel::NoUpdate));
    viewport()->update();
}

void TStringGrid::SetScrollBars(TScrollStyle style)
{
    FScrollBars = style;
    const bool horizontal = style == ssHorizontal || style == ssBoth;
    const bool vertical = style == ssVertical || style == ssBoth;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateGeometries();
}

int TStringGrid::ColWidths(int col) const
{
    return col >= 0 && col < ColCount() ? FColWidths[std::size_t(col)] : 0;
}

void TStringGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= ColCount())
        return;
    FColWidths[std::size_t(col)] = std::max(width, 0);
    FHeader->resizeSection(col, FColWidths[std::size_t(col)] + VertLineWidth());
}

QString TStringGrid::Cells(int col, int row) const
{
    return FModel->Cell(col, row);
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    FModel->SetCell(col, row, text);
}

std::span<const QString> TStringGrid::RowTexts(int row) const
{
    return FModel->RowTexts(row);
}

void TStringGrid::SetRowTexts(int row, std::span<const QString> texts)
{
    FModel->SetRowTexts(row, texts);
}

QWidget* TStringGrid::FixedRowsWidget() const
{
    return FHeader->viewport();
}

QRect TStringGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return {};
    if (row < FixedRows())
        return { FHeader->sectionViewportPosition(col), row * FixedRowHeight(), ColWidths(col),
            FDefaultRowHeight };
    const QRect section = visualRect(FModel->index(row - FixedRows(), col));
    return { section.x(), section.y(), ColWidths(col), FDefaultRowHeight };
}

TGridCoord TStringGrid::FixedCellAt(const QPoint& point) const
{
    if (FixedRows() == 0 || point.y() < 0 || FixedRowHeight() == 0)
        return {};
    const int row = point.y() / FixedRowHeight();
    const int col = FHeader->logicalIndexAt(point.x());
    if (row >= FixedRows() || col < 0)
        return {};
    return { col, row };
}

void TStringGrid::UpdateFixedRows()
{
    FHeader->StripHeight = FixedRows() * FixedRowHeight();
    FHeader->setVisible(FixedRows() > 0);
    updateGeometries();
    FHeader->viewport()->update();
}

void TStringGrid::PaintFixedRows(QPainter&)
{
}

bool TStringGrid::FixedRowsMousePress(QMouseEvent*)
{
    return false;
}

void TStringGrid::FixedRowsMouseMove(QMouseEvent*)
{
}

bool TStringGrid::FixedRowsMouseRelease(QMouseEvent*)
{
    return false;
}

void TStringGrid::mousePressEvent(QMouseEvent* event)
{
    // A click on the current row moves nothing but is a click all the same; a click on
    // another row is told by currentChanged.
    const int before = Row();
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()
        && Row() == before)
        emit Click();
}

void TStringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // Keys, Tab, a drag, type-ahead: whatever moved the row, the window must follow it.
    if (!FMovingFromCode && current.isValid() && current.row() != previous.row())
        emit Click();
}

QModelIndex TStringGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // With whole rows selected a column of its own means nothing: Home and End go to the
    // first and last row, and the current cell never walks sideways into columns out of
    // view.
    if (FOptions.testFlag(goRowSelect)) {
        const QModelIndex current = currentIndex();
        switch (action) {
        case MoveLeft:
        case MoveRight:
        case MoveNext:
        case MovePrevious:
            return current;
        case MoveHome:
        case MoveEnd:
            return QTableView::moveCursor(action, modifiers | Qt::ControlModifier)
                .siblingAtColumn(std::max(current.column(), 0));
        default:
            break;
        }
    }
    return QTableView::moveCursor(action, modifiers);
}

void TStringGrid::updateGeometries()
{
    QTableView::updateGeometries();
    // Without a horizontal scroll bar the columns stand still: the fixed rows and whatever
    // stands above the grid stay over their columns, and columns beyond the right edge stay
    // out of view.
    if (FScrollBars == ssNone || FScrollBars == ssVertical)
        horizontalScrollBar()->setRange(0, 0);
}

void TStringGrid::keyboardSearch(const QString& search)
{
    if (search.isEmpty() || FModel->rowCount() == 0)
        return;
    // Keys typed in quick succession add up to one prefix, as in any list.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - FLastTypedAt > QApplication::keyboardInputInterval())
        FTypedAhead.clear();
    FLastTypedAt = now;
    FTypedAhead += search;
    for (int row = 0; row < FModel->rowCount(); ++row) {
        if (Cells(FTypeAheadColumn, row + FixedRows())
                .startsWith(FTypedAhead, Qt::CaseInsensitive)) {
            setCurrentIndex(FModel->index(row, std::max(currentIndex().column(), 0)));
            return;
        }
    }
}

int TStringGrid::VertLineWidth() const
{
    return FOptions.testFlag(goVertLine) ? FGridLineWidth : 0;
}

int TStringGrid::HorzLineWidth() const
{
    return FOptions.testFlag(goHorzLine) ? FGridLineWidth : 0;
}

int TStringGrid::FixedRowHeight() const
{
    return FDefaultRowHeight + HorzLineWidth();
}

void TStringGrid::ApplyColumnWidths()
{
    FHeader->setDefaultSectionSize(FDefaultColWidth + VertLineWidth());
    for (int col = 0; col < ColCount(); ++col)
        FHeader->resizeSection(col, FColWidths[std::size_t(col)] + VertLineWidth());
}

void TStringGrid::ApplyRowHeight()
{
    verticalHeader()->setDefaultSectionSize(FDefaultRowHeight + HorzLineWidth());
    UpdateFixedRows();
}

void TStringGrid::KeepCurrentRow()
{
    if (FModel->rowCount() > 0 && !currentIndex().isValid()) {
        const QScopedValueRollback fromCode(FMovingFromCode, true);
        setCurrentIndex(FModel->index(0, 0));
    }
}

void TStringGrid::PaintFixedCell(QPainter& painter, int col, int row) const
{
    const QRect cell = CellRect(col, row);
    const QRect pitch(cell.x(), cell.y(), cell.width() + VertLineWidth(), FixedRowHeight());
    const QPalette& colours = palette();
    painter.fillRect(pitch, colours.color(QPalette::Button));
    if (FOptions.testFlag(goFixedVertLine) && VertLineWidth() > 0)
        painter.fillRect(QRect(cell.x() + cell.width(), cell.y(), VertLineWidth(), pitch.height()),
            colours.color(QPalette::Shadow));
    if (FOptions.testFlag(goFixedHorzLine) && HorzLineWidth() > 0)
        painter.fillRect(QRect(cell.x(), cell.y() + cell.height(), pitch.width(), HorzLineWidth()),
            colours.color(QPalette::Shadow));
    if (FOptions.testFlag(goFixedVertLine) && FOptions.testFlag(goFixedHorzLine))
        DrawInnerEdge(painter, cell, ieRaised, colours);
    painter.save();
    painter.setClipRect(cell);
    painter.setPen(colours.color(QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(cell.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
        Cells(col, row));
    painter.restore();
}
