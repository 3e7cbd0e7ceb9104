#include "platform/RenameFile.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "platform/EInOutError.h"
#include "platform/FileListing.h"
#include "platform/RawText.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>

TEST(RenameFile, MovesTheFileAndKeepsItsBytes)
{
    const TTestFolder folder;
    folder.Write("racer.v64", "image bytes");

    RenameFile(folder.Path("racer.v64"), folder.Path("Demo.USA"));

    EXPECT_FALSE(QFileInfo::exists(folder.Path("racer.v64")));
    EXPECT_EQ(folder.Read("Demo.USA"), "image bytes");
}

TEST(RenameFile, NeverReplacesAnExistingFile)
{
    const TTestFolder folder;
    folder.Write("a.v64", "first");
    folder.Write("b.v64", "second");

    try {
        RenameFile(folder.Path("a.v64"), folder.Path("b.v64"));
        FAIL() << "the rename replaced b.v64";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EEXIST);
        EXPECT_TRUE(error.Message().contains(folder.Path("b.v64")));
    }
    EXPECT_EQ(folder.Read("a.v64"), "first");
    EXPECT_EQ(folder.Read("b.v64"), "second");
}

TEST(RenameFile, ANameChangeOfLetterCaseOnlyIsARename)
{
    const TTestFolder folder;
    folder.Write("racer.v64", "bytes");

    RenameFile(folder.Path("racer.v64"), folder.Path("RACER.v64"));

    EXPECT_EQ(folder.Read("RACER.v64"), "bytes");
    EXPECT_FALSE(QFileInfo::exists(folder.Path("racer.v64")));
}

TEST(RenameFile, ItsOwnNameChangesNothing)
{
    const TTestFolder folder;
    folder.Write("racer.v64", "bytes");

    EXPECT_NO_THROW(RenameFile(folder.Path("racer.v64"), folder.Path("racer.v64")));
    EXPECT_EQ(folder.Read("racer.v64"), "bytes");
}

TEST(RenameFile, FailuresCarryTheSystemsCode)
{
    const TTestFolder folder;
    try {
        RenameFile(folder.Path("gone.v64"), folder.Path("new.v64"));
        FAIL() << "a missing file was renamed";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
    }

    folder.Write("locked/racer.v64", "bytes");
    QFile::setPermissions(folder.Path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    {
        TUnprivileged unprivileged;
        try {
            RenameFile(folder.Path("locked/racer.v64"), folder.Path("locked/new.v64"));
            ADD_FAILURE() << "a file in a read-only folder was renamed";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.ErrorCode(), EACCES);
        }
    }
    QFile::setPermissions(
        folder.Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(folder.Read("locked/racer.v64"), "bytes");
}

TEST(RenameFile, ANameThatIsNotUtf8IsRenamedBothWays)
{
    const TTestFolder folder;
    const QString latin1 = DecodeRawText(folder.WriteNative("\xc9t\xe9.v64", "bytes"));
    RenameFile(latin1, folder.Path("ete.v64"));
    EXPECT_EQ(folder.Read("ete.v64"), "bytes");
    RenameFile(folder.Path("ete.v64"), latin1);
    EXPECT_FALSE(QFile::exists(folder.Path("ete.v64")));
    EXPECT_EQ(ListFiles(folder.Path(), "*.*"), QStringList { DecodeRawText("\xc9t\xe9.v64") });
}
