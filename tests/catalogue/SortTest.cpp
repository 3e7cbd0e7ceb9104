#include "catalogue/PartitionSort.h"
#include "catalogue/SortText.h"
#include "catalogue/TSortKeys.h"
#include "catalogue/TextRows.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <utility>

namespace {

// Rows of (key, tag): the tag tells where each row started.
std::vector<TTextRow> Rows(std::initializer_list<const char*> keys)
{
    std::vector<TTextRow> rows;
    int tag = 0;
    for (const char* key : keys)
        rows.push_back({ QString::fromUtf8(key), QString::number(tag++) });
    return rows;
}

QStringList Column(const std::vector<TTextRow>& rows, int column)
{
    QStringList texts;
    for (const TTextRow& row : rows)
        texts.append(row[std::size_t(column)]);
    return texts;
}

// The steps as they read, recursion and all, to check the production sort's loop against.
void ReferenceSort(std::vector<TTextRow>& rows, int column, TSortDirection direction, int l, int r)
{
    int i = l;
    int j = r;
    const QString p = rows[std::size_t((l + r) / 2)][std::size_t(column)];
    auto compare
        = [&](int row) { return CompareSortText(rows[std::size_t(row)][std::size_t(column)], p); };
    do {
        if (direction == sdAscending) {
            while (compare(i) < 0)
                ++i;
            while (compare(j) > 0)
                --j;
        } else {
            while (compare(i) > 0)
                ++i;
            while (compare(j) < 0)
                --j;
        }
        if (i <= j) {
            std::swap(rows[std::size_t(i)], rows[std::size_t(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (l < j)
        ReferenceSort(rows, column, direction, l, j);
    if (i < r)
        ReferenceSort(rows, column, direction, i, r);
}

} // namespace

TEST(CompareSortText, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(CompareSortText(u"racer", u"RACER"), 0);
    EXPECT_EQ(CompareSortText(u"Zelda", u"zELDA"), 0);
    EXPECT_NE(CompareSortText(u"é", u"É"), 0);
    // '_' (0x5F) lies between the capitals and the small letters; folded, it sorts after both.
    EXPECT_GT(CompareSortText(u"_", u"a"), 0);
    EXPECT_GT(CompareSortText(u"_", u"A"), 0);
    EXPECT_GT(CompareSortText(u"[", u"a"), 0);
    EXPECT_LT(CompareSortText(u"@", u"a"), 0);
}

TEST(CompareSortText, ByCharacterCodeAndShorterFirst)
{
    EXPECT_LT(CompareSortText(u"-- MBIT", u"000 MBit"), 0);
    EXPECT_LT(CompareSortText(u"064 MBit", u"512 MBit"), 0);
    EXPECT_LT(CompareSortText(u"--> WARNING: NOT AN IMAGE", u"1080 SNOWBOARDING"), 0);
    EXPECT_LT(CompareSortText(u"A", u"AB"), 0);
    EXPECT_GT(CompareSortText(u"AB", u"A"), 0);
    EXPECT_EQ(CompareSortText(u"", u""), 0);
    EXPECT_LT(CompareSortText(u"", u"A"), 0);
    EXPECT_LT(CompareSortText(u"Z", u"é"), 0);
    // Outside the code page, code point order: a character beyond U+FFFF after U+FF5E.
    EXPECT_LT(CompareSortText(u"\uFF5E", u"\U0001F600"), 0);
}

TEST(CompareSortText, ByTheWindows1252ByteOfEachCharacter)
{
    // Each pair in order, the first before the second.
    const std::pair<std::u16string_view, std::u16string_view> ordered[] = {
        // The bytes decide, not the code points: Š 0x8A before À 0xC0, € 0x80 before the
        // no-break space 0xA0, ž 0x9E before ÿ 0xFF, ~ 0x7E before €.
        { u"\u0160A", u"\u00C0A" },
        { u"\u20AC", u"\u00A0" },
        { u"\u017E", u"\u00FF" },
        { u"~", u"\u20AC" },
        // A byte the code page leaves undefined keeps its place among the others.
        { u"\u0160", u"\u008D" },
        { u"\u008D", u"\u017D" },
        // Characters the code page lacks come after all of its bytes.
        { u"\u00FF", u"\u0100" },
        { u"\u00FF", u"\u0080" },
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_LT(CompareSortText(first, second), 0) << QStringView(first).toString().toStdString();
        EXPECT_GT(CompareSortText(second, first), 0)
            << QStringView(second).toString().toStdString();
    }
}

TEST(SortTextRows, OneRowOrNoneChangesNothing)
{
    std::vector<TTextRow> none;
    SortTextRows(none, 0, 0, sdAscending);
    EXPECT_TRUE(none.empty());
    std::vector<TTextRow> one = { TTextRow(7) };
    SortTextRows(one, 0, 0, sdDescending);
    EXPECT_EQ(one, std::vector<TTextRow> { TTextRow(7) });
    // A header row and no data rows.
    std::vector<TTextRow> header = Rows({ "Filename" });
    SortTextRows(header, 1, 0, sdAscending);
    EXPECT_EQ(Column(header, 0), QStringList { "Filename" });
}

TEST(SortTextRows, MbitAscendingPutsFailuresFirstThenNumericOrder)
{
    std::vector<TTextRow> rows
        = Rows({ "064 MBit", "-- MBIT", "512 MBit", "000 MBit", "008 MBit", "-- MBIT" });
    SortTextRows(rows, 0, 0, sdAscending);
    EXPECT_EQ(Column(rows, 0),
        (QStringList { "-- MBIT", "-- MBIT", "000 MBit", "008 MBit", "064 MBit", "512 MBit" }));
}

TEST(SortTextRows, WarningsBeforeImageNames)
{
    std::vector<TTextRow> rows = Rows({ "SUPER MARIO 64", "--> WARNING: NOT AN IMAGE",
        "1080 SNOWBOARDING", "2: No such file or directory", "--> WARNING: NOT AN IMAGE" });
    SortTextRows(rows, 0, 0, sdAscending);
    EXPECT_EQ(Column(rows, 0),
        (QStringList { "--> WARNING: NOT AN IMAGE", "--> WARNING: NOT AN IMAGE",
            "1080 SNOWBOARDING", "2: No such file or directory", "SUPER MARIO 64" }));
}

// The orders below follow the steps by hand; the sort is not stable, and the catalogue's
// order of equal names depends on exactly these steps.
TEST(SortTextRows, EqualKeysEndWhereThePartitionStepsLeaveThem)
{
    // Pivot A (row 1): exchange 0,3 -> A2 A1 B2 B0 (tags); 1 with itself; then 2..3 on pivot B
    // exchange 2,3.
    std::vector<TTextRow> rows = Rows({ "B", "A", "B", "A" });
    SortTextRows(rows, 0, 0, sdAscending);
    EXPECT_EQ(Column(rows, 1), (QStringList { "3", "1", "0", "2" }));

    // Case-only differences compare equal: exchange 0,2, then 1 with itself.
    rows = Rows({ "abc", "ABC", "Abc" });
    SortTextRows(rows, 0, 0, sdAscending);
    EXPECT_EQ(Column(rows, 0), (QStringList { "Abc", "ABC", "abc" }));

    // Descending on pivot B: I stops at 1, J at 4, exchange; 2 with itself; then 0..1 on pivot
    // C exchanges them, 3..4 on pivot A exchanges them.
    rows = Rows({ "C", "A", "B", "A", "C" });
    SortTextRows(rows, 0, 0, sdDescending);
    EXPECT_EQ(Column(rows, 0), (QStringList { "C", "C", "B", "A", "A" }));
    EXPECT_EQ(Column(rows, 1), (QStringList { "4", "0", "2", "1", "3" }));
}

TEST(SortTextRows, FixedRowsStayAndShortRowsSortAsEmpty)
{
    std::vector<TTextRow> rows = { { "Name", "Size" }, { "b", "2" }, { "a" }, { "c", "1" } };
    SortTextRows(rows, 1, 1, sdAscending);
    EXPECT_EQ(
        rows, (std::vector<TTextRow> { { "Name", "Size" }, { "a" }, { "c", "1" }, { "b", "2" } }));
}

TEST(PartitionSort, LeavesTheSameOrderAsTheStepsWithTheirPlainRecursion)
{
    std::mt19937 random(64);
    const char* keys[] = { "A", "a", "B", "b", "C", "-- MBIT", "000 MBit", "", "AB", "É" };
    for (int round = 0; round < 300; ++round) {
        std::vector<TTextRow> rows;
        const int count = int(random() % 60) + 1;
        for (int i = 0; i < count; ++i)
            rows.push_back(
                { QString::fromUtf8(keys[random() % std::size(keys)]), QString::number(i) });
        const TSortDirection direction = round % 2 ? sdDescending : sdAscending;
        std::vector<TTextRow> expected = rows;
        ReferenceSort(expected, 0, direction, 0, count - 1);
        SortTextRows(rows, 0, 0, direction);
        ASSERT_EQ(rows, expected) << "round " << round;
        const int sign = direction == sdAscending ? 1 : -1;
        for (int i = 1; i < count; ++i)
            ASSERT_LE(
                sign * CompareSortText(rows[std::size_t(i - 1)][0], rows[std::size_t(i)][0]), 0);
    }
}

TEST(PartitionSort, ManyRowsOfFewKeysAndSortedInput)
{
    std::vector<TTextRow> rows;
    for (int i = 0; i < 20000; ++i)
        rows.push_back({ QString::number(i % 3) });
    SortTextRows(rows, 0, 0, sdDescending);
    EXPECT_EQ(rows.front()[0], QStringLiteral("2"));
    EXPECT_EQ(rows.back()[0], QStringLiteral("0"));
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
        [](const TTextRow& a, const TTextRow& b) { return CompareSortText(a[0], b[0]) > 0; }));
    SortTextRows(rows, 0, 0, sdAscending);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(),
        [](const TTextRow& a, const TTextRow& b) { return CompareSortText(a[0], b[0]) < 0; }));
}

// A key made once orders as its text does, for every kind of character a name may hold.
TEST(TSortKeys, CompareAsTheirTextsDo)
{
    const char16_t alphabet[] = { u'a', u'A', u'z', u'Z', u' ', u'0', u'9', u'_', u'\x7f', u'\x80',
        u'\x81', u'\x8a', u'\x9f', u'\xa0', u'\xc0', u'\xe9', u'\xff', u'\x152', u'\x160',
        u'\x20ac', u'\x2122', u'\x3a9', u'\xd83d', u'\xde00', u'\xe000', u'\xfffd' };
    std::mt19937 random(7);
    std::vector<QString> texts;
    for (int i = 0; i < 400; ++i) {
        QString text;
        const int length = int(random() % 6);
        for (int c = 0; c < length; ++c)
            text += QChar(alphabet[random() % std::size(alphabet)]);
        texts.push_back(text);
    }
    TSortKeys keys(int(texts.size()));
    for (const QString& text : texts)
        keys.Append(text);
    const auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (std::size_t a = 0; a < texts.size(); ++a)
        for (std::size_t b = 0; b < texts.size(); ++b)
            ASSERT_EQ(sign(keys.Compare(keys.At(int(a)), keys.At(int(b)))),
                sign(CompareSortText(texts[a], texts[b])))
                << texts[a].toStdString() << " | " << texts[b].toStdString();
    // Keys move with their rows.
    keys.Exchange(0, 1);
    EXPECT_EQ(
        sign(keys.Compare(keys.At(0), keys.At(1))), sign(CompareSortText(texts[1], texts[0])));
}
