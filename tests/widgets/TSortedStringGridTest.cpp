#include "widgets/TSortedStringGrid.h"
#include "catalogue/CatalogueRow.h"
#include "catalogue/HeaderButtons.h"
#include "catalogue/TextRows.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>

namespace {

class SortedGrid : public ::testing::Test
{
protected:
    // The catalogue's table: no fixed rows, the row's texts and its real name.
    void Catalogue(const std::vector<TTextRow>& rows)
    {
        Grid.SetFixedRows(0);
        Grid.SetColCount(CatalogueColumnCount);
        Grid.SetRowCount(int(rows.size()));
        for (int row = 0; row < int(rows.size()); ++row)
            Grid.SetRowTexts(row, rows[std::size_t(row)]);
    }

    static QStringList Column(const std::vector<TTextRow>& rows, int column)
    {
        QStringList texts;
        for (const TTextRow& row : rows)
            texts.append(row[std::size_t(column)]);
        return texts;
    }

    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < Grid.RowCount(); ++row)
            texts.append(Grid.Cells(column, row));
        return texts;
    }

    TSortedStringGrid Grid;
};

TTextRow CatalogueRow(const char* base, const char* ext, const char* image, const char* size)
{
    const QString file = QString::fromLatin1(base) + (*ext ? QStringLiteral(".") + ext : QString());
    return { QString::fromLatin1(base), QString::fromLatin1(ext), QString::fromLatin1(image),
        QString::fromLatin1(size), QString(), file, file.toLower(), QString(), QString() };
}

std::vector<TTextRow> SomeImages()
{
    return { CatalogueRow("ZELDA", "JAP", "ZELDA                ", "256 MBit"),
        CatalogueRow("A", "V64", "--> WARNING: NOT AN IMAGE", "000 MBit"),
        CatalogueRow("MARIO", "USA", "SUPER MARIO 64       ", "064 MBit"),
        CatalogueRow("A", "JAP", "2: No such file or directory", "-- MBIT"),
        CatalogueRow("KART", "PAL", "MARIO KART 64        ", "096 MBit") };
}

} // namespace

TEST_F(SortedGrid, StartsSortedAscendingOnTheFirstColumn)
{
    EXPECT_EQ(Grid.SortColumn(), 0);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_TRUE(Grid.Sorted());
    EXPECT_FALSE(Grid.HeaderPressed());
    EXPECT_FALSE(Grid.PressedInside());
}

TEST_F(SortedGrid, PropertiesGoThroughTheSetters)
{
    Catalogue(SomeImages());
    EXPECT_TRUE(Grid.setProperty("SortColumn", 3));
    EXPECT_EQ(Column(ccSize),
        (QStringList { "-- MBIT", "000 MBit", "064 MBit", "096 MBit", "256 MBit" }));
    EXPECT_TRUE(Grid.setProperty("SortDirection", QVariant::fromValue(sdDescending)));
    EXPECT_EQ(Column(ccSize),
        (QStringList { "256 MBit", "096 MBit", "064 MBit", "000 MBit", "-- MBIT" }));
    EXPECT_EQ(Grid.property("SortDirection").value<TSortDirection>(), sdDescending);
    EXPECT_EQ(Grid.property("SortColumn").toInt(), 3);
    EXPECT_TRUE(Grid.setProperty("Sorted", false));
    EXPECT_FALSE(Grid.property("Sorted").toBool());
}

TEST_F(SortedGrid, ANewSortColumnSortsAscendingEvenWhenNotSorted)
{
    Catalogue(SomeImages());
    Grid.SetSortDirection(sdDescending);
    Grid.SetSorted(false);
    Grid.SetSortColumn(ccImageName);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(ccImageName).first(), QStringLiteral("--> WARNING: NOT AN IMAGE"));
    EXPECT_EQ(Column(ccImageName).last(), QStringLiteral("ZELDA                "));

    // The same column again keeps the direction and sorts again.
    Grid.SetSortDirection(sdDescending);
    Grid.SetSortColumn(ccImageName);
    EXPECT_EQ(Grid.SortDirection(), sdDescending);

    // Turning Sorted on sorts; turning it off does not.
    Grid.ExchangeRows(0, 4);
    const QStringList exchanged = Column(ccImageName);
    Grid.SetSorted(false);
    EXPECT_EQ(Column(ccImageName), exchanged);
    Grid.SetSorted(true);
    EXPECT_EQ(Column(ccImageName).first(), QStringLiteral("ZELDA                "));
}

TEST_F(SortedGrid, SortsLikeThePlainRowsAndTheRealNameMovesWithItsRow)
{
    std::vector<TTextRow> rows = SomeImages();
    Catalogue(rows);
    // Once only: a second pass of an unstable sort may reorder equal keys again.
    Grid.SortRows();
    SortTextRows(rows, 0, ccBaseName, sdAscending);
    for (int row = 0; row < Grid.RowCount(); ++row) {
        const std::span<const QString> texts = Grid.RowTexts(row);
        EXPECT_EQ(TTextRow(texts.begin(), texts.end()), rows[std::size_t(row)]) << row;
        EXPECT_EQ(texts[ccRealName], texts[ccFileName].toLower());
    }
    // Two rows named A: which comes first is the partition steps' choice, the same in both.
    EXPECT_EQ(Column(ccBaseName), (QStringList { "A", "A", "KART", "MARIO", "ZELDA" }));
}

TEST_F(SortedGrid, GridAndPlainRowsAlwaysAgreeOnTheOrderOfEqualKeys)
{
    std::mt19937 random(7);
    const char* keys[] = { "A", "a", "B", "-- MBIT", "000 MBit", "" };
    for (int round = 0; round < 100; ++round) {
        std::vector<TTextRow> rows;
        const int count = int(random() % 40) + 1;
        for (int i = 0; i < count; ++i)
            rows.push_back(
                { QString::fromLatin1(keys[random() % std::size(keys)]), QString::number(i) });
        Grid.SetFixedRows(0);
        Grid.SetColCount(2);
        Grid.SetRowCount(count);
        for (int row = 0; row < count; ++row)
            Grid.SetRowTexts(row, rows[std::size_t(row)]);
        const TSortDirection direction = round % 2 ? sdDescending : sdAscending;
        // Setting the direction sorts once.
        Grid.SetSortDirection(direction);
        SortTextRows(rows, 0, 0, direction);
        ASSERT_EQ(Column(1), Column(rows, 1)) << "round " << round;
    }
}

// Rows sorted before they came in take their column and direction as they are: one more
// pass would exchange the two rows named A.
TEST_F(SortedGrid, ASortOrderTakenWithoutSortingMovesNoRow)
{
    std::vector<TTextRow> rows = SomeImages();
    Catalogue(rows);
    Grid.SetSortColumn(ccSize);
    Grid.SetSortDirection(sdDescending);
    SortTextRows(rows, 0, ccBaseName, sdAscending);
    Catalogue(rows);

    Grid.SetSortOrderWithoutSorting(ccBaseName, sdAscending);
    EXPECT_EQ(Grid.SortColumn(), ccBaseName);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(ccFileName), Column(rows, ccFileName));
    Grid.SortRows();
    EXPECT_NE(Column(ccFileName), Column(rows, ccFileName));

    // The setters go on sorting by what was taken.
    Grid.SetSortDirection(sdDescending);
    EXPECT_EQ(Column(ccBaseName), (QStringList { "ZELDA", "MARIO", "KART", "A", "A" }));
}

TEST_F(SortedGrid, TheCurrentRowMovesWithItsFileThroughEverySort)
{
    Catalogue(SomeImages());
    Grid.SetRow(2);
    const QString chosen = Grid.Cells(ccRealName, 2);
    ASSERT_EQ(chosen, "mario.usa");
    for (const int column : { ccExtension, ccImageName, ccSize, ccBaseName }) {
        Grid.SetSortColumn(column);
        EXPECT_EQ(Grid.Cells(ccRealName, Grid.Row()), chosen) << column;
        Grid.SetSortDirection(sdDescending);
        EXPECT_EQ(Grid.Cells(ccRealName, Grid.Row()), chosen) << column;
    }
}

TEST_F(SortedGrid, ExchangeRowsMovesEveryColumn)
{
    Catalogue(SomeImages());
    const std::span<const QString> before = Grid.RowTexts(1);
    const TTextRow second(before.begin(), before.end());
    Grid.ExchangeRows(1, 3);
    const std::span<const QString> after = Grid.RowTexts(3);
    EXPECT_EQ(TTextRow(after.begin(), after.end()), second);
    Grid.ExchangeRows(3, 3);
    Grid.ExchangeRows(3, 99);
    const std::span<const QString> still = Grid.RowTexts(3);
    EXPECT_EQ(TTextRow(still.begin(), still.end()), second);
}

TEST_F(SortedGrid, OneRowOrOneEmptyRowOrOnlyAHeaderSortNothing)
{
    Catalogue({ CatalogueRow("B", "V64", "B", "001 MBit") });
    Grid.SortRows();
    EXPECT_EQ(Column(ccBaseName), QStringList { "B" });
    Catalogue({ TTextRow(CatalogueColumnCount) });
    Grid.SetSortDirection(sdDescending);
    EXPECT_EQ(Grid.RowCount(), 1);
    EXPECT_EQ(Grid.Cells(ccFileName, 0), QString());

    TSortedStringGrid header;
    header.SetRowCount(1);
    header.SetFixedRows(1);
    header.SetCells(0, 0, QStringLiteral("Name"));
    header.SetSortDirection(sdDescending);
    header.SortRows();
    EXPECT_EQ(header.Cells(0, 0), QStringLiteral("Name"));
}

TEST_F(SortedGrid, FixedRowsStayOnTop)
{
    Grid.SetColCount(2);
    Grid.SetRowCount(4);
    Grid.SetFixedRows(1);
    const char* texts[][2] = { { "Name", "Size" }, { "b", "2" }, { "c", "1" }, { "a", "3" } };
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 2; ++col)
            Grid.SetCells(col, row, QString::fromLatin1(texts[row][col]));
    Grid.SetSortColumn(1);
    EXPECT_EQ(Column(0), (QStringList { "Name", "c", "b", "a" }));
    Grid.SetSortDirection(sdDescending);
    EXPECT_EQ(Column(1), (QStringList { "Size", "3", "2", "1" }));
}

// The header buttons above the catalogue table, with the markers they would show.
TEST_F(SortedGrid, HeaderButtonsSortAndMarkTheirColumn)
{
    Catalogue(SomeImages());
    std::array<int, HeaderButtonCount> markers = { hmAscending, hmBlank, hmBlank, hmBlank };
    auto click = [&](int column) {
        HeaderButtonClick(
            Grid, column, [&](int button, int marker) { markers[std::size_t(button)] = marker; });
    };
    using TMarkers = std::array<int, HeaderButtonCount>;

    click(ccExtension);
    EXPECT_EQ(markers, (TMarkers { hmBlank, hmAscending, hmBlank, hmBlank }));
    EXPECT_EQ(Grid.SortColumn(), ccExtension);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(ccExtension), (QStringList { "JAP", "JAP", "PAL", "USA", "V64" }));

    click(ccExtension);
    EXPECT_EQ(markers, (TMarkers { hmBlank, hmDescending, hmBlank, hmBlank }));
    EXPECT_EQ(Grid.SortDirection(), sdDescending);
    EXPECT_EQ(Column(ccExtension), (QStringList { "V64", "USA", "PAL", "JAP", "JAP" }));

    click(ccExtension);
    EXPECT_EQ(markers, (TMarkers { hmBlank, hmAscending, hmBlank, hmBlank }));
    EXPECT_EQ(Grid.SortDirection(), sdAscending);

    click(ccSize);
    click(ccSize);
    click(ccImageName);
    EXPECT_EQ(markers, (TMarkers { hmBlank, hmBlank, hmAscending, hmBlank }));
    EXPECT_EQ(Grid.SortColumn(), ccImageName);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(ccImageName).first(), QStringLiteral("--> WARNING: NOT AN IMAGE"));
}

TEST_F(SortedGrid, HeaderButtonsDoNothingWithoutAFile)
{
    Catalogue({ TTextRow(CatalogueColumnCount) });
    std::array<int, HeaderButtonCount> markers = { 7, 7, 7, 7 };
    HeaderButtonClick(
        Grid, ccExtension, [&](int button, int marker) { markers[std::size_t(button)] = marker; });
    EXPECT_EQ(markers, (std::array<int, HeaderButtonCount> { 7, 7, 7, 7 }));
    EXPECT_EQ(Grid.SortColumn(), 0);
}

namespace {

// A grid with a header row on screen, for the mouse.
class HeaderGrid : public SortedGrid
{
protected:
    void SetUp() override
    {
        Grid.SetColCount(3);
        Grid.SetRowCount(5);
        Grid.SetFixedRows(1);
        Grid.SetDefaultRowHeight(18);
        Grid.SetDefaultColWidth(90);
        const char* texts[][3] = { { "Name", "Ext", "Size" }, { "b", "V64", "2" },
            { "d", "JAP", "4" }, { "a", "PAL", "1" }, { "c", "USA", "3" } };
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                Grid.SetCells(col, row, QString::fromLatin1(texts[row][col]));
        Grid.SortRows();
        Grid.resize(400, 200);
        Grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));
    }

    QWidget* Header() const { return Grid.FixedRowsWidget(); }
    QPoint Inside(int col) const { return Grid.CellRect(col, 0).center(); }
    void Press(const QPoint& point, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(Header(), button, {}, point);
    }
    void Release(const QPoint& point, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(Header(), button, {}, point);
    }
    void Move(const QPoint& point) { QTest::mouseMove(Header(), point); }

    QRgb Pixel(int x, int y) const { return Header()->grab().toImage().pixel(x, y); }
    QRgb Colour(QPalette::ColorRole role) const { return Grid.palette().color(role).rgb(); }
    // Where the marker of a column's header cell begins.
    QPoint MarkerOrigin(int col) const
    {
        const QRect rect = Grid.CellRect(col, 0);
        const int x
            = std::min(rect.left() + Grid.fontMetrics().horizontalAdvance(Grid.Cells(col, 0)) + 8,
                rect.left() + rect.width() - 8);
        return { x, rect.top() + 4 };
    }
};

} // namespace

TEST_F(HeaderGrid, AClickOnAHeaderCellSortsAndASecondReverses)
{
    Press(Inside(1));
    EXPECT_TRUE(Grid.HeaderPressed());
    EXPECT_TRUE(Grid.PressedInside());
    EXPECT_EQ(Column(1), (QStringList { "Ext", "PAL", "V64", "USA", "JAP" }));
    Release(Inside(1));
    EXPECT_FALSE(Grid.HeaderPressed());
    EXPECT_EQ(Grid.SortColumn(), 1);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(1), (QStringList { "Ext", "JAP", "PAL", "USA", "V64" }));

    Press(Inside(1));
    Release(Inside(1));
    EXPECT_EQ(Grid.SortDirection(), sdDescending);
    EXPECT_EQ(Column(1), (QStringList { "Ext", "V64", "USA", "PAL", "JAP" }));

    // Another column starts ascending again.
    Press(Inside(2));
    Release(Inside(2));
    EXPECT_EQ(Grid.SortColumn(), 2);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    EXPECT_EQ(Column(2), (QStringList { "Size", "1", "2", "3", "4" }));
}

TEST_F(HeaderGrid, DraggingOutAndReleasingRestoresColumnAndDirection)
{
    Grid.SetSortDirection(sdDescending);
    const QStringList order = Column(0);
    Press(Inside(1));
    EXPECT_EQ(Grid.SortColumn(), 1);
    EXPECT_EQ(Grid.SortDirection(), sdAscending);
    Move(Inside(2));
    EXPECT_TRUE(Grid.HeaderPressed());
    EXPECT_FALSE(Grid.PressedInside());
    Move(Inside(1));
    EXPECT_TRUE(Grid.PressedInside());
    Move(Inside(1) + QPoint(0, 100));
    EXPECT_FALSE(Grid.PressedInside());
    Release(Inside(1) + QPoint(0, 100));
    EXPECT_FALSE(Grid.HeaderPressed());
    EXPECT_EQ(Grid.SortColumn(), 0);
    EXPECT_EQ(Grid.SortDirection(), sdDescending);
    EXPECT_EQ(Column(0), order);
}

TEST_F(HeaderGrid, OnlyALeftPressInsideTheCellsMarginsCounts)
{
    const QRect cell = Grid.CellRect(1, 0);
    Press(QPoint(cell.left() + 2, cell.center().y()));
    EXPECT_FALSE(Grid.HeaderPressed());
    Release(QPoint(cell.left() + 2, cell.center().y()));
    Press(QPoint(cell.left() + cell.width() - 3, cell.center().y()));
    EXPECT_FALSE(Grid.HeaderPressed());
    Release(QPoint(cell.left() + cell.width() - 3, cell.center().y()));
    Press(Inside(1), Qt::RightButton);
    EXPECT_FALSE(Grid.HeaderPressed());
    Release(Inside(1), Qt::RightButton);
    // Beyond the last column there is no cell.
    Press(QPoint(350, cell.center().y()));
    EXPECT_FALSE(Grid.HeaderPressed());
    Release(QPoint(350, cell.center().y()));

    Grid.SetSorted(false);
    Press(Inside(1));
    EXPECT_FALSE(Grid.HeaderPressed());
    Release(Inside(1));
    EXPECT_EQ(Grid.SortColumn(), 0);
}

TEST_F(HeaderGrid, ThePressedCellLooksSunkenAndTheMarkersShowTheDirections)
{
    const QRect name = Grid.CellRect(0, 0);
    EXPECT_EQ(Pixel(name.left() + 1, name.top()), Colour(QPalette::Light));
    QPoint up = MarkerOrigin(0);
    EXPECT_EQ(Pixel(up.x() + 4, up.y()), Colour(QPalette::Light));
    EXPECT_EQ(Pixel(up.x() + 3, up.y()), Colour(QPalette::Dark));
    EXPECT_EQ(Pixel(up.x() + 7, up.y() + 6), Colour(QPalette::Light));
    EXPECT_EQ(Pixel(up.x() + 5, up.y() + 6), Colour(QPalette::Light));
    EXPECT_EQ(Pixel(up.x() + 8, up.y() + 6), Colour(QPalette::Button));
    // Lines leave out their end points.
    EXPECT_EQ(Pixel(up.x() - 1, up.y() + 7), Colour(QPalette::Button));

    Press(Inside(1));
    const QRect ext = Grid.CellRect(1, 0);
    EXPECT_EQ(Pixel(ext.left() + 1, ext.top()), Colour(QPalette::Shadow));
    EXPECT_EQ(Pixel(ext.left() + 1, ext.top() + ext.height() - 1), Colour(QPalette::Midlight));
    // The saved column keeps its marker while the press lasts.
    EXPECT_EQ(Pixel(up.x() + 4, up.y()), Colour(QPalette::Light));
    Move(Inside(2));
    EXPECT_EQ(Pixel(ext.left() + 1, ext.top()), Colour(QPalette::Light));
    Move(Inside(1));
    Release(Inside(1));
    Press(Inside(1));
    Release(Inside(1));
    ASSERT_EQ(Grid.SortDirection(), sdDescending);
    const QPoint down = MarkerOrigin(1);
    EXPECT_EQ(Pixel(down.x() + 1, down.y()), Colour(QPalette::Dark));
    EXPECT_EQ(Pixel(down.x() + 7, down.y()), Colour(QPalette::Light));
    EXPECT_EQ(Pixel(down.x() + 3, down.y() + 5), Colour(QPalette::Dark));
    EXPECT_EQ(Pixel(ext.left() + 1, ext.top()), Colour(QPalette::Light));
    // The old sort column has its plain raised edge and no marker.
    EXPECT_EQ(Pixel(up.x() + 4, up.y()), Colour(QPalette::Button));
}
