#include "TStringGridModel.h"

#include <algorithm>
#include <utility>

TStringGridModel::TStringGridModel(QObject* parent)
    : QAbstractTableModel(parent)
    , FCells(1)
{
}

void TStringGridModel::SetColCount(int count)
{
    count = std::max(count, 1);
    if (count == FColCount)
        return;
    const int old = FColCount;
    if (count > old)
        beginInsertColumns(QModelIndex(), old, count - 1);
    else
        beginRemoveColumns(QModelIndex(), count, old - 1);
    std::vector<QString> cells(std::size_t(FRowCount) * std::size_t(count));
    const int kept = std::min(old, count);
    for (int row = 0; row < FRowCount; ++row) {
        QString* from = RowBegin(row);
        std::move(from, from + kept, cells.begin() + std::ptrdiff_t(row) * count);
    }
    FCells = std::move(cells);
    FColCount = count;
    if (count > old)
        endInsertColumns();
    else
        endRemoveColumns();
}

void TStringGridModel::SetRowCount(int count)
{
    count = std::max(count, 1);
    if (count == FRowCount)
        return;
    if (count < FFixedRows) {
        beginResetModel();
        FFixedRows = count;
        FRowCount = count;
        FCells.resize(std::size_t(count) * std::size_t(FColCount));
        endResetModel();
        return;
    }
    // Model rows are the grid's rows below the fixed ones.
    if (count > FRowCount)
        beginInsertRows(QModelIndex(), FRowCount - FFixedRows, count - FFixedRows - 1);
    else
        beginRemoveRows(QModelIndex(), count - FFixedRows, FRowCount - FFixedRows - 1);
    const bool growing = count > FRowCount;
    FRowCount = count;
    FCells.resize(std::size_t(count) * std::size_t(FColCount));
    if (growing)
        endInsertRows();
    else
        endRemoveRows();
}

void TStringGridModel::SetFixedRows(int count)
{
    count = std::clamp(count, 0, FRowCount);
    if (count == FFixedRows)
        return;
    beginResetModel();
    FFixedRows = count;
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, FColCount - 1);
}

bool TStringGridModel::Contains(int col, int row) const
{
    return col >= 0 && col < FColCount && row >= 0 && row < FRowCount;
}

const QString& TStringGridModel::Cell(int col, int row) const
{
    static const QString Empty;
    return Contains(col, row) ? FCells[std::size_t(row) * std::size_t(FColCount) + std::size_t(col)]
                              : Empty;
}

void TStringGridModel::SetCell(int col, int row, const QString& text)
{
    if (!Contains(col, row))
        return;
    FCells[std::size_t(row) * std::size_t(FColCount) + std::size_t(col)] = text;
    if (row < FFixedRows) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - FFixedRows, col);
        emit dataChanged(changed, changed, { Qt::DisplayRole });
    }
}

std::span<const QString> TStringGridModel::RowTexts(int row) const
{
    if (!Contains(0, row))
        return {};
    return { FCells.data() + std::size_t(row) * std::size_t(FColCount), std::size_t(FColCount) };
}

void TStringGridModel::SetRowTexts(int row, std::span<const QString> texts)
{
    if (!Contains(0, row))
        return;
    const std::size_t count = std::min(texts.size(), std::size_t(FColCount));
    std::copy_n(texts.begin(), count, RowBegin(row));
    RowTextsChanged(row);
}

void TStringGridModel::SwapRowTexts(int a, int b) noexcept
{
    if (a == b)
        return;
    QString* first = RowBegin(a);
    std::swap_ranges(first, first + FColCount, RowBegin(b));
}

void TStringGridModel::RowTextsChanged(int row)
{
    if (!Contains(0, row))
        return;
    if (row < FFixedRows)
        emit headerDataChanged(Qt::Horizontal, 0, FColCount - 1);
    else
        emit dataChanged(index(row - FFixedRows, 0), index(row - FFixedRows, FColCount - 1),
            { Qt::DisplayRole });
}

void TStringGridModel::TextsChanged()
{
    if (FFixedRows > 0)
        emit headerDataChanged(Qt::Horizontal, 0, FColCount - 1);
    if (FRowCount > FFixedRows)
        emit dataChanged(
            index(0, 0), index(FRowCount - FFixedRows - 1, FColCount - 1), { Qt::DisplayRole });
}

int TStringGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRowCount - FFixedRows;
}

int TStringGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FColCount;
}

QVariant TStringGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cell(index.column(), index.row() + FFixedRows);
}

QVariant TStringGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || FFixedRows == 0)
        return {};
    QStringList texts;
    for (int row = 0; row < FFixedRows; ++row)
        texts.append(Cell(section, row));
    return texts.join(QLatin1Char('\n'));
}
