#include "TVersionBlockWriter.h"
#include "platform/VersionResource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString FileVersionPath = QStringLiteral("\\StringFileInfo\\040904E4\\FileVersion");
const QString ProductNamePath = QStringLiteral("\\StringFileInfo\\040904E4\\ProductName");
const QString TranslationPath = QStringLiteral("\\VarFileInfo\\Translation");

QByteArray SampleBlock()
{
    TVersionBlockWriter writer;
    writer.SetFileVersion({ 1, 1, 7, 142 });
    writer.AddStringTable(QStringLiteral("040904E4"),
        { { QStringLiteral("FileVersion"), QStringLiteral("1.1.7.142") },
            { QStringLiteral("ProductName"), QStringLiteral("Conveyor") } });
    writer.SetTranslations({ { 0x0409, 0x04E4 } });
    return writer.Block();
}

QByteArray Utf16(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

// Where the node with the given key starts: its key follows the 6-byte node header.
qsizetype NodeOf(const QByteArray& block, const QString& key)
{
    const qsizetype at = block.indexOf(Utf16(key) + QByteArray(2, '\0'));
    EXPECT_GE(at, 6) << qPrintable(key);
    return at - 6;
}

void SetWord(QByteArray& block, qsizetype offset, quint16 word)
{
    block[offset] = char(word & 0xFF);
    block[offset + 1] = char(word >> 8);
}

quint16 WordAt(const QByteArray& block, qsizetype offset)
{
    return quint16(quint8(block[offset]) | quint8(block[offset + 1]) << 8);
}

bool Finds(const QByteArray& block, const QString& path)
{
    // An allocation of exactly the block's size, so that the sanitizer sees any read past it.
    std::vector<char> exact(block.begin(), block.end());
    QByteArrayView value;
    const bool found
        = QueryVersionValue(QByteArrayView(exact.data(), qsizetype(exact.size())), path, value);
    if (found) {
        EXPECT_GE(value.data(), exact.data());
        EXPECT_LE(value.data() + value.size(), exact.data() + exact.size());
    }
    return found;
}

} // namespace

TEST(VersionBlock, FindsValuesByPathWithoutRegardToCase)
{
    const QByteArray block = SampleBlock();
    QByteArrayView value;
    ASSERT_TRUE(QueryVersionValue(block, FileVersionPath, value));
    EXPECT_EQ(value.toByteArray(), Utf16(QStringLiteral("1.1.7.142")) + QByteArray(2, '\0'));
    ASSERT_TRUE(
        QueryVersionValue(block, QStringLiteral("stringfileinfo\\040904e4\\PRODUCTNAME"), value));
    EXPECT_EQ(value.toByteArray(), Utf16(QStringLiteral("Conveyor")) + QByteArray(2, '\0'));
    ASSERT_TRUE(QueryVersionValue(block, TranslationPath, value));
    EXPECT_EQ(value.toByteArray(), QByteArray("\x09\x04\xE4\x04"));
    ASSERT_TRUE(QueryVersionValue(block, QStringLiteral("\\"), value));
    ASSERT_EQ(value.size(), 52);
    EXPECT_EQ(value.first(4).toByteArray(), QByteArray("\xBD\x04\xEF\xFE"));

    EXPECT_FALSE(
        QueryVersionValue(block, QStringLiteral("\\StringFileInfo\\040904E4\\Other"), value));
    EXPECT_FALSE(
        QueryVersionValue(block, QStringLiteral("\\StringFileInfo\\040C04E4\\FileVersion"), value));
    EXPECT_FALSE(QueryVersionValue(block, FileVersionPath + QStringLiteral("\\Deeper"), value));
    EXPECT_FALSE(QueryVersionValue(QByteArrayView(), QStringLiteral("\\"), value));
}

TEST(VersionBlock, ATruncatedBlockGivesNotFoundAndIsNeverReadPastItsEnd)
{
    const QByteArray block = SampleBlock();
    ASSERT_TRUE(Finds(block, FileVersionPath));
    for (qsizetype size = 0; size < block.size(); ++size) {
        const QByteArray cut = block.left(size);
        for (const QString& path :
            { FileVersionPath, ProductNamePath, TranslationPath, QStringLiteral("\\") })
            EXPECT_FALSE(Finds(cut, path)) << size << " " << qPrintable(path);
    }
}

TEST(VersionBlock, MalformedNodesGiveNotFound)
{
    const QByteArray block = SampleBlock();
    const qsizetype fileVersion = NodeOf(block, QStringLiteral("FileVersion"));
    const qsizetype productName = NodeOf(block, QStringLiteral("ProductName"));
    const qsizetype translation = NodeOf(block, QStringLiteral("Translation"));

    QByteArray odd = block;
    SetWord(odd, productName, WordAt(block, productName) - 1);
    EXPECT_FALSE(Finds(odd, ProductNamePath)) << "odd length";

    QByteArray pastParent = block;
    SetWord(pastParent, productName, 0xFFFE);
    EXPECT_FALSE(Finds(pastParent, ProductNamePath)) << "length runs past the parent";

    QByteArray unterminated = block;
    const qsizetype valueEnd = productName + WordAt(block, productName);
    SetWord(unterminated, valueEnd - 2, u'x');
    EXPECT_FALSE(Finds(unterminated, ProductNamePath)) << "text without its terminator";

    QByteArray valuePastNode = block;
    SetWord(valuePastNode, productName + 2, 200);
    EXPECT_FALSE(Finds(valuePastNode, ProductNamePath)) << "value runs past its node";

    QByteArray shortKey = block;
    SetWord(shortKey, productName, 10);
    EXPECT_FALSE(Finds(shortKey, ProductNamePath)) << "key without its terminator";

    QByteArray zeroSibling = block;
    SetWord(zeroSibling, fileVersion, 0);
    EXPECT_FALSE(Finds(zeroSibling, ProductNamePath)) << "a sibling of length 0 before it";

    QByteArray unknownType = block;
    SetWord(unknownType, fileVersion + 4, 7);
    EXPECT_FALSE(Finds(unknownType, FileVersionPath)) << "unknown value type";

    QByteArray longTable = block;
    SetWord(longTable, translation + 2, 64);
    EXPECT_FALSE(Finds(longTable, TranslationPath)) << "translation table past its node";

    QByteArray tinyRoot = block;
    SetWord(tinyRoot, 0, 4);
    EXPECT_FALSE(Finds(tinyRoot, QStringLiteral("\\"))) << "root shorter than its header";

    // The untouched block answers all of them.
    for (const QString& path : { FileVersionPath, ProductNamePath, TranslationPath })
        EXPECT_TRUE(Finds(block, path)) << qPrintable(path);
}
