#include "framework/TStringGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class StringGrid : public ::testing::Test
{
protected:
    void Fill()
    {
        for (int row = 0; row < Grid.RowCount(); ++row)
            for (int col = 0; col < Grid.ColCount(); ++col)
                Grid.SetCells(col, row, QStringLiteral("%1,%2").arg(col).arg(row));
    }

    TStringGrid Grid;
};

} // namespace

TEST_F(StringGrid, CellsByColumnAndRowWithNothingOutside)
{
    Grid.SetColCount(3);
    Grid.SetRowCount(4);
    Fill();
    EXPECT_EQ(Grid.Cells(2, 3), QStringLiteral("2,3"));
    EXPECT_EQ(Grid.Cells(0, 0), QStringLiteral("0,0"));
    Grid.SetCells(3, 0, QStringLiteral("outside"));
    Grid.SetCells(-1, 0, QStringLiteral("outside"));
    EXPECT_EQ(Grid.Cells(3, 0), QString());
    EXPECT_EQ(Grid.Cells(0, 4), QString());
    EXPECT_EQ(Grid.Cells(-1, -1), QString());
}

TEST_F(StringGrid, RowsAreContiguousTextsThatKeepTheirPlaceWhenColumnsChange)
{
    Grid.SetColCount(3);
    Grid.SetRowCount(3);
    Fill();
    const std::span<const QString> first = Grid.RowTexts(0);
    const std::span<const QString> second = Grid.RowTexts(1);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(second.data(), first.data() + 3);
    EXPECT_EQ(second[2], QStringLiteral("2,1"));

    Grid.SetColCount(5);
    EXPECT_EQ(Grid.Cells(2, 1), QStringLiteral("2,1"));
    EXPECT_EQ(Grid.Cells(4, 1), QString());
    Grid.SetColCount(2);
    EXPECT_EQ(Grid.Cells(1, 2), QStringLiteral("1,2"));
    EXPECT_EQ(Grid.Cells(2, 2), QString());

    const QString texts[] = { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") };
    Grid.SetRowTexts(2, texts);
    EXPECT_EQ(Grid.Cells(0, 2), QStringLiteral("a"));
    EXPECT_EQ(Grid.Cells(1, 2), QStringLiteral("b"));
}

TEST_F(StringGrid, NeverFewerThanOneRowAndTheFirstRowKeepsItsTexts)
{
    Grid.SetFixedRows(0);
    Grid.SetRowCount(3);
    Fill();
    Grid.SetRowCount(0);
    EXPECT_EQ(Grid.RowCount(), 1);
    EXPECT_EQ(Grid.Cells(1, 0), QStringLiteral("1,0"));
    Grid.SetRowCount(3);
    EXPECT_EQ(Grid.Cells(1, 2), QString());
}

TEST_F(StringGrid, FixedRowsStayWithinTheRows)
{
    Grid.SetRowCount(3);
    Grid.SetFixedRows(2);
    EXPECT_EQ(Grid.FixedRows(), 2);
    Grid.SetFixedRows(5);
    EXPECT_EQ(Grid.FixedRows(), 3);
    Grid.SetRowCount(2);
    EXPECT_EQ(Grid.FixedRows(), 2);
    Grid.SetFixedRows(-1);
    EXPECT_EQ(Grid.FixedRows(), 0);
}

TEST_F(StringGrid, TheCurrentRowIsAlwaysOneBelowTheFixedRows)
{
    Grid.SetFixedRows(1);
    Grid.SetRowCount(5);
    EXPECT_EQ(Grid.Row(), 1);
    Grid.SetRow(3);
    EXPECT_EQ(Grid.Row(), 3);
    Grid.SetRow(0);
    Grid.SetRow(5);
    EXPECT_EQ(Grid.Row(), 3);
    Grid.SetRowCount(2);
    EXPECT_EQ(Grid.Row(), 1);

    Grid.SetFixedRows(0);
    Grid.SetRowCount(1);
    EXPECT_EQ(Grid.Row(), 0);
}

TEST_F(StringGrid, CellGeometryLeavesRoomForTheGridLines)
{
    Grid.SetColCount(3);
    Grid.SetRowCount(4);
    Grid.SetFixedRows(1);
    Grid.SetDefaultRowHeight(16);
    Grid.SetGridLineWidth(1);
    Grid.SetColWidths(0, 100);
    Grid.SetColWidths(1, 40);
    Grid.resize(400, 300);
    Grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));

    EXPECT_EQ(Grid.CellRect(1, 0), QRect(101, 0, 40, 16));
    EXPECT_EQ(Grid.CellRect(1, 2), QRect(101, 17, 40, 16));
    EXPECT_EQ(Grid.horizontalHeader()->height(), 17);
    EXPECT_EQ(Grid.CellRect(3, 0), QRect());
    EXPECT_EQ(Grid.FixedCellAt(QPoint(120, 5)).X, 1);
    EXPECT_EQ(Grid.FixedCellAt(QPoint(120, 5)).Y, 0);
    EXPECT_EQ(Grid.FixedCellAt(QPoint(395, 5)).X, -1);

    // Without lines the cells lie edge to edge, as the catalogue's table has them.
    Grid.SetGridLineWidth(0);
    EXPECT_EQ(Grid.CellRect(1, 0), QRect(100, 0, 40, 16));
    EXPECT_EQ(Grid.CellRect(2, 3), QRect(140, 32, Grid.DefaultColWidth(), 16));
    Grid.SetDefaultColWidth(30);
    EXPECT_EQ(Grid.ColWidths(0), 30);
    Grid.SetFixedRows(0);
    EXPECT_TRUE(Grid.horizontalHeader()->isHidden());
}

TEST_F(StringGrid, ClickTellsARowChosenByMouseOrKeyboard)
{
    Grid.SetFixedRows(0);
    Grid.SetRowCount(6);
    Grid.SetOptions(goRowSelect);
    Fill();
    Grid.resize(400, 300);
    Grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));
    QSignalSpy clicks(&Grid, &TStringGrid::Click);

    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Grid.CellRect(1, 2).center());
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(Grid.Row(), 2);
    QTest::keyClick(&Grid, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(Grid.Row(), 3);
    Grid.SetRow(0);
    EXPECT_EQ(clicks.count(), 2);
    // The whole current row is selected.
    EXPECT_EQ(Grid.selectionModel()->selectedIndexes().size(), Grid.ColCount());
}

TEST_F(StringGrid, PaintsTheFixedRowsAsButtonsWithTheirTexts)
{
    Grid.SetColCount(2);
    Grid.SetRowCount(2);
    Grid.SetDefaultRowHeight(20);
    Grid.SetCells(0, 0, QStringLiteral("WWWW"));
    Grid.resize(300, 200);
    Grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));
    const QImage strip = Grid.FixedRowsWidget()->grab().toImage();
    const QRect cell = Grid.CellRect(0, 0);
    const QPalette palette = Grid.palette();
    // The raised edge of a fixed cell, then its face, and somewhere the text's ink.
    EXPECT_EQ(strip.pixel(cell.topLeft() + QPoint(1, 0)), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(strip.pixel(cell.bottomLeft() + QPoint(1, 0)), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(
        strip.pixel(cell.right() - 2, cell.bottom() - 1), palette.color(QPalette::Button).rgb());
    int ink = 0;
    for (int x = cell.left() + 2; x < cell.left() + 40; ++x)
        for (int y = cell.top() + 2; y < cell.bottom(); ++y)
            ink += strip.pixel(x, y) != palette.color(QPalette::Button).rgb();
    EXPECT_GT(ink, 10);
}
