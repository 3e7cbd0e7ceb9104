#include "platform/FileListing.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "platform/EInOutError.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

TEST(MatchesFilePattern, ClassicWildcardsWithoutRegardToCase)
{
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("racer.v64"), QStringLiteral("*.v64")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("RACER.V64"), QStringLiteral("*.v64")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("racer.v64"), QStringLiteral("*.V64")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("racer.v64x"), QStringLiteral("*.v64")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("x.usa"), QStringLiteral("*.us")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("x.us"), QStringLiteral("*.usa")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("a.b"), QStringLiteral("?.?")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("ab.b"), QStringLiteral("?.?")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("A.V64X.V64"), QStringLiteral("*.v64")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("a*b"), QStringLiteral("a*b*")));
    EXPECT_TRUE(MatchesFilePattern(QString::fromUtf8("ÉTÉ.JAP"), QString::fromUtf8("été.*")));
}

TEST(MatchesFilePattern, TrailingDotStarAlsoMatchesNamesWithoutExtension)
{
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("README"), QStringLiteral("*.*")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("v64_ver1"), QStringLiteral("v64_ver*.*")));
    EXPECT_TRUE(MatchesFilePattern(QStringLiteral("V64_VER2.BIN"), QStringLiteral("v64_ver*.*")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("v64_ve"), QStringLiteral("v64_ver*.*")));
    EXPECT_FALSE(MatchesFilePattern(QStringLiteral("README"), QStringLiteral("*.v64")));
}

TEST(MatchesFileMask, AnyPatternOfTheMask)
{
    const QString mask = QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us");
    EXPECT_TRUE(MatchesFileMask(QStringLiteral("x.us"), mask));
    EXPECT_TRUE(MatchesFileMask(QStringLiteral("x.PAL"), mask));
    EXPECT_FALSE(MatchesFileMask(QStringLiteral("x.bin"), mask));
    EXPECT_TRUE(MatchesFileMask(QStringLiteral("x.bin"), QString()));
    EXPECT_TRUE(MatchesFileMask(QStringLiteral("x.bin"), QStringLiteral(" *.v64 ; *.bin ")));
}

class FileListingFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : { "racer.v64", "RACER2.V64", "Zelda.jap", "kart.pal", "X.USA",
                 "Y.US", "v64_ver1.bin", "V64_VER2", "README", "notes.txt", "game.v64.bak" })
            Folder.Write(QString::fromLatin1(name), "x");
        Folder.Write(QStringLiteral(".hidden.v64"), "x");
        ASSERT_TRUE(QDir(Folder.Path()).mkdir(QStringLiteral("x.v64")));
        ASSERT_EQ(
            ::mkfifo(QFile::encodeName(Folder.Path(QStringLiteral("pipe.v64"))).constData(), 0600),
            0);
        ASSERT_TRUE(QFile::link(
            Folder.Path(QStringLiteral("racer.v64")), Folder.Path(QStringLiteral("link.v64"))));
        ASSERT_TRUE(QFile::link(
            Folder.Path(QStringLiteral("x.v64")), Folder.Path(QStringLiteral("dirlink.v64"))));
        ASSERT_TRUE(QFile::link(
            Folder.Path(QStringLiteral("gone")), Folder.Path(QStringLiteral("broken.v64"))));
    }

    QStringList List(const char* mask) const
    {
        return ListFiles(Folder.Path(), QString::fromLatin1(mask));
    }

    TTestFolder Folder;
};

TEST_F(FileListingFolder, EveryFilterMaskListsItsPlainFilesInAlphabeticalOrder)
{
    EXPECT_EQ(List("*.v64;*.jap;*.pal;*.usa;*.us"),
        (QStringList {
            "kart.pal", "link.v64", "racer.v64", "RACER2.V64", "X.USA", "Y.US", "Zelda.jap" }));
    EXPECT_EQ(List("*.v64"), (QStringList { "link.v64", "racer.v64", "RACER2.V64" }));
    EXPECT_EQ(List("*.jap"), (QStringList { "Zelda.jap" }));
    EXPECT_EQ(List("*.pal"), (QStringList { "kart.pal" }));
    EXPECT_EQ(List("*.usa;*.us"), (QStringList { "X.USA", "Y.US" }));
    EXPECT_EQ(List("v64_ver*.*"), (QStringList { "v64_ver1.bin", "V64_VER2" }));
    EXPECT_EQ(List("*.*"),
        (QStringList { "game.v64.bak", "kart.pal", "link.v64", "notes.txt", "racer.v64",
            "RACER2.V64", "README", "v64_ver1.bin", "V64_VER2", "X.USA", "Y.US", "Zelda.jap" }));
}

TEST_F(FileListingFolder, ANameMatchingSeveralPatternsIsListedOnce)
{
    EXPECT_EQ(List("*.v64;*.V64;r*;*"),
        (QStringList { "game.v64.bak", "kart.pal", "link.v64", "notes.txt", "racer.v64",
            "RACER2.V64", "README", "v64_ver1.bin", "V64_VER2", "X.USA", "Y.US", "Zelda.jap" }));
}

TEST(FileListing, NamesDifferingOnlyInCaseAreBothListed)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("b.v64"), "x");
    folder.Write(QStringLiteral("a.v64"), "x");
    folder.Write(QStringLiteral("A.V64"), "x");
    EXPECT_EQ(ListFiles(folder.Path(), QStringLiteral("*.v64")),
        (QStringList { "A.V64", "a.v64", "b.v64" }));
}

TEST(FileListing, ThreeHundredFiles)
{
    TTestFolder folder;
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        const QString name = QStringLiteral("game%1.v64").arg(i, 3, 10, QLatin1Char('0'));
        folder.Write(name, "x");
        expected.append(name);
    }
    EXPECT_EQ(ListFiles(folder.Path(), QStringLiteral("*.v64")), expected);
}

TEST(FileListing, AnEmptyFolderListsNothing)
{
    TTestFolder folder;
    EXPECT_TRUE(ListFiles(folder.Path(), QStringLiteral("*.*")).isEmpty());
}

TEST(FileListing, AFolderThatCannotBeReadRaisesTheSystemReason)
{
    TTestFolder folder;
    try {
        ListFiles(folder.Path(QStringLiteral("missing")), QStringLiteral("*.*"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(),
            QStringLiteral("Cannot read directory %1: No such file or directory")
                .arg(folder.Path("missing")));
    }
    const QString file = folder.Write(QStringLiteral("plain"), "x");
    try {
        ListFiles(file, QStringLiteral("*.*"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOTDIR);
    }
}

TEST(FileListing, AFolderWithoutReadPermissionRaises)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("open/racer.v64"), "x");
    const QString locked = folder.Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(locked));
    // Others may pass through the temporary folder, so only the lock itself can refuse.
    ASSERT_EQ(::chmod(QFile::encodeName(folder.Path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folder.Path("open")).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    {
        const TUnprivileged user;
        EXPECT_EQ(ListFiles(folder.Path(QStringLiteral("open")), QStringLiteral("*.*")).size(), 1);
        try {
            ListFiles(locked, QStringLiteral("*.*"));
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), EACCES);
        }
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

TEST(FileListing, NamesThatAreNotUtf8KeepTheirBytes)
{
    TTestFolder folder;
    // Latin-1 "Été.v64", as an old collection names it.
    const QByteArray latin1 = "\xc9t\xe9.v64";
    folder.WriteNative(latin1, "x");
    folder.Write(QStringLiteral("plain.v64"), "x");
    const QStringList names = ListFiles(folder.Path(), QStringLiteral("*.v64"));
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names[0], QStringLiteral("plain.v64"));
    EXPECT_EQ(EncodeRawText(names[1]), latin1);
    EXPECT_EQ(ReadableRawText(names[1]), QString::fromUtf8("\xc3\x89t\xc3\xa9.v64"));
}

TEST(FileListing, AFolderNamedInLatin1IsListedAndNamedReadablyInItsErrors)
{
    TTestFolder folder;
    const QByteArray cafe = QFile::encodeName(folder.Path()) + "/Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0777), 0);
    folder.WriteNative("Caf\xe9/\xc9t\xe9.v64", "x");
    EXPECT_EQ(ListFiles(DecodeRawText(cafe), QStringLiteral("*.v64")),
        QStringList { DecodeRawText("\xc9t\xe9.v64") });
    try {
        ListFiles(DecodeRawText(cafe + "/missing"), QStringLiteral("*.*"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(),
            "Cannot read directory " + folder.Path()
                + QString::fromUtf8("/Caf\xc3\xa9/missing: No such file or directory"));
    }
}
