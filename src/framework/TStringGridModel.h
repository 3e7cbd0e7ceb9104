#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <span>
#include <vector>

// The texts of a string grid, row after row in one block, so that exchanging two rows swaps
// ColCount texts and never copies the table. The grid's fixed rows are the first rows of the
// block; the item model shows only the rows below them, and the header shows the fixed ones.
class TStringGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TStringGridModel(QObject* parent = nullptr);

    int ColCount() const { return FColCount; }
    int RowCount() const { return FRowCount; }
    int FixedRows() const { return FFixedRows; }
    // At least one column and one row; fewer rows than fixed rows take the fixed rows along.
    void SetColCount(int count);
    void SetRowCount(int count);
    // Between none and all of the rows.
    void SetFixedRows(int count);

    // Outside the grid a cell is empty and cannot be written.
    const QString& Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    std::span<const QString> RowTexts(int row) const;
    void SetRowTexts(int row, std::span<const QString> texts);

    // Exchanges two rows' texts without telling the views, for sorts that move many rows;
    // TextsChanged tells them afterwards, once.
    void SwapRowTexts(int a, int b) noexcept;
    void RowTextsChanged(int row);
    void TextsChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool Contains(int col, int row) const;
    QString* RowBegin(int row) { return FCells.data() + std::size_t(row) * std::size_t(FColCount); }

    int FColCount = 1;
    int FRowCount = 1;
    int FFixedRows = 0;
    std::vector<QString> FCells;
};
