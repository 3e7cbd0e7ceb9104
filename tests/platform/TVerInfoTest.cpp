#include "platform/TVerInfo.h"
#include "ElfImage.h"
#include "TTestFolder.h"
#include "TVersionBlockWriter.h"
#include "platform/ElfSection.h"
#include "platform/ProgramFile.h"
#include "platform/VersionResource.h"

#include <QBuffer>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QByteArray VersionSection = ".conveyor_version";

TVersionBlockWriter::TStrings StringsNamed(const QString& tag, bool withInternalName = true)
{
    TVersionBlockWriter::TStrings strings = {
        { QStringLiteral("CompanyName"), tag + QStringLiteral(" company") },
        { QStringLiteral("FileDescription"), tag + QStringLiteral(" description") },
        { QStringLiteral("FileVersion"), tag + QStringLiteral(" 2.0") },
        { QStringLiteral("InternalName"), tag + QStringLiteral(" internal") },
        { QStringLiteral("LegalCopyright"), tag + QStringLiteral(" copyright") },
        { QStringLiteral("OriginalFilename"), tag + QStringLiteral(" original") },
        { QStringLiteral("ProductName"), tag + QStringLiteral(" product") },
        { QStringLiteral("ProductVersion"), tag + QStringLiteral(" 3.0") },
    };
    if (!withInternalName)
        strings.removeAt(3);
    return strings;
}

QStringList PropertiesOf(const TVerInfo& info)
{
    return { info.CompanyName(), info.FileDescription(), info.FileVersion(), info.InternalName(),
        info.LegalCopyright(), info.OriginalFilename(), info.ProductName(), info.ProductVersion() };
}

QStringList ExpectedFor(const QString& tag)
{
    QStringList values;
    for (const auto& entry : StringsNamed(tag))
        values.append(entry.second);
    return values;
}

const QStringList AllEmpty(8);

// A program file whose version section holds the block.
QString ProgramWith(const TTestFolder& folder, const QByteArray& block)
{
    return folder.Write(QStringLiteral("program"),
        ElfImage({ { ".text", "\x90\x90\xC3" }, { VersionSection, block } }));
}

} // namespace

TEST(TVerInfo, ReadsTheProgramsOwnVersionBlock)
{
    const TVerInfo info;
    EXPECT_EQ(info.FileVersion(), QStringLiteral("1.1.7.142"));
    EXPECT_EQ(info.ProductName(), QStringLiteral("Conveyor"));
    EXPECT_EQ(info.FileDescription(), QStringLiteral("Conveyor, Doctor64 Transfer Program"));
    EXPECT_EQ(info.InternalName(), QStringLiteral("CONVEYOR"));
    EXPECT_EQ(info.OriginalFilename(), QStringLiteral("CONVEYOR.EXE"));
    EXPECT_EQ(info.ProductVersion(), QStringLiteral("1.0.0.0"));
    // Found although queried as "LegalCopyRight": keys match without regard to case.
    EXPECT_EQ(info.LegalCopyright(), QStringLiteral("Conveyor project"));
    EXPECT_EQ(info.CompanyName(), QStringLiteral("Conveyor project"));
}

TEST(TVerInfo, TheProgramsOwnBlockHasTheStandardLayout)
{
    const QString program = ProgramFilePath();
    ASSERT_TRUE(QFileInfo(program).isFile()) << qPrintable(program);
    const quint32 size = VersionBlockSize(program);
    ASSERT_GT(size, 92u);
    QByteArray block(size, '\x55');
    ASSERT_TRUE(ReadVersionBlock(program, block));

    auto word
        = [&](qsizetype at) { return quint16(quint8(block[at]) | quint8(block[at + 1]) << 8); };
    auto dword = [&](qsizetype at) { return quint32(word(at)) | quint32(word(at + 2)) << 16; };
    EXPECT_LE(word(0), size); // the block's own length
    EXPECT_EQ(word(2), 52); // the fixed part's size
    EXPECT_EQ(word(4), 0); // binary value
    EXPECT_EQ(
        block.mid(6, 32), QByteArray("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0\0", 32));
    EXPECT_EQ(dword(40), 0xFEEF04BDu); // signature
    EXPECT_EQ(dword(48), 0x00010001u); // file version 1.1
    EXPECT_EQ(dword(52), 0x0007008Eu); // .7.142

    QByteArrayView translation;
    ASSERT_TRUE(
        QueryVersionValue(block, QStringLiteral("\\VarFileInfo\\Translation"), translation));
    EXPECT_EQ(translation.toByteArray(), QByteArray("\x09\x04\xE4\x04"));
}

TEST(TVerInfo, ChoosesTheFirstUSEnglishTableElseTheLastListed)
{
    TTestFolder folder;
    TVersionBlockWriter writer;
    writer.AddStringTable(QStringLiteral("040704E4"), StringsNamed(QStringLiteral("de")));
    writer.AddStringTable(QStringLiteral("040904E4"), StringsNamed(QStringLiteral("us")));
    writer.AddStringTable(QStringLiteral("040C04E4"), StringsNamed(QStringLiteral("fr")));

    writer.SetTranslations({ { 0x0407, 0x04E4 }, { 0x0409, 0x04E4 }, { 0x040C, 0x04E4 } });
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, writer.Block()))),
        ExpectedFor(QStringLiteral("us")));

    writer.SetTranslations({ { 0x0407, 0x04E4 }, { 0x040C, 0x04E4 } });
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, writer.Block()))),
        ExpectedFor(QStringLiteral("fr")));

    // Only the language counts: U.S. English with another code page is still taken.
    writer.AddStringTable(QStringLiteral("04090000"), StringsNamed(QStringLiteral("us0")));
    writer.SetTranslations({ { 0x0407, 0x04E4 }, { 0x0409, 0x0000 }, { 0x0409, 0x04E4 } });
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, writer.Block()))),
        ExpectedFor(QStringLiteral("us0")));
}

TEST(TVerInfo, WithoutATranslationTableReadsUSEnglishCodePageZero)
{
    TTestFolder folder;
    TVersionBlockWriter onlyUsual;
    onlyUsual.AddStringTable(QStringLiteral("040904E4"), StringsNamed(QStringLiteral("us")));
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, onlyUsual.Block()))), AllEmpty);

    TVersionBlockWriter zero;
    zero.AddStringTable(QStringLiteral("040904E4"), StringsNamed(QStringLiteral("us")));
    zero.AddStringTable(QStringLiteral("04090000"), StringsNamed(QStringLiteral("zero")));
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, zero.Block()))),
        ExpectedFor(QStringLiteral("zero")));

    zero.SetTranslations({});
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, zero.Block()))),
        ExpectedFor(QStringLiteral("zero")));
}

TEST(TVerInfo, AMissingStringLeavesOnlyItsOwnPropertyEmpty)
{
    TTestFolder folder;
    TVersionBlockWriter writer;
    writer.AddStringTable(QStringLiteral("040904E4"), StringsNamed(QStringLiteral("us"), false));
    writer.SetTranslations({ { 0x0409, 0x04E4 } });
    QStringList expected = ExpectedFor(QStringLiteral("us"));
    expected[3].clear();
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, writer.Block()))), expected);
}

TEST(TVerInfo, AFileWithoutAReadableBlockLeavesEverythingEmpty)
{
    TTestFolder folder;
    const QString noSection
        = folder.Write(QStringLiteral("plain"), ElfImage({ { ".text", "\xC3" } }));
    EXPECT_EQ(VersionBlockSize(noSection), 0u);
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, noSection)), AllEmpty);

    const QString text = folder.Write(QStringLiteral("script"), "#!/bin/sh\necho hello\n");
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, text)), AllEmpty);
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, folder.Path(QStringLiteral("missing")))), AllEmpty);

    QByteArray garbage(200, '\xAB');
    EXPECT_EQ(PropertiesOf(TVerInfo(nullptr, ProgramWith(folder, garbage))), AllEmpty);
}

TEST(TVerInfo, ThePropertiesCannotBeAssigned)
{
    TVerInfo info;
    EXPECT_TRUE(info.setProperty("FileVersion", QStringLiteral("9.9")));
    info.SetProductName(QStringLiteral("Other"));
    EXPECT_EQ(info.FileVersion(), QStringLiteral("1.1.7.142"));
    EXPECT_EQ(info.property("ProductName").toString(), QStringLiteral("Conveyor"));
}

TEST(ElfSection, DamagedFilesGiveNoSectionAndAreNeverReadPastTheirEnd)
{
    const QByteArray contents(40, 'v');
    const QByteArray image = ElfImage({ { ".text", "\xC3" }, { VersionSection, contents } });
    auto read = [](QByteArray bytes, qint64 maxSize, QByteArray& found) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return ReadElfSection(buffer, VersionSection, maxSize, found);
    };
    QByteArray found;
    ASSERT_TRUE(read(image, 1024, found));
    EXPECT_EQ(found, contents);
    EXPECT_FALSE(read(image, 39, found)) << "larger than allowed";

    // Cut anywhere, the file no longer holds the whole section or its headers.
    for (qsizetype size = 0; size < image.size(); ++size)
        EXPECT_FALSE(read(image.left(size), 1024, found)) << size;

    // A section whose contents would lie beyond the end of the file.
    QByteArray pastEnd = image;
    const qsizetype sectionHeaders = qsizetype(image.size()) - 4 * 64;
    const qsizetype versionHeader = sectionHeaders + 2 * 64;
    pastEnd[versionHeader + 24] = '\xF0'; // sh_offset, lowest byte
    pastEnd[versionHeader + 25] = '\xFF';
    pastEnd[versionHeader + 26] = '\xFF';
    EXPECT_FALSE(read(pastEnd, 1024, found));

    QByteArray otherClass = image;
    otherClass[4] = 1; // ELFCLASS32
    EXPECT_FALSE(read(otherClass, 1024, found));
}
