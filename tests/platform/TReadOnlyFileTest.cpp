#include "TReadOnlyFile.h"
#include "EInOutError.h"
#include "TTestFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

TEST(TReadOnlyFile, ReadsOnlyTheBytesPresent)
{
    TTestFolder folder;
    const QString path = folder.Write(QStringLiteral("short"), "abcdef");
    TReadOnlyFile file(path);
    EXPECT_EQ(file.Size(), 6);
    char buffer[16] = {};
    EXPECT_EQ(file.ReadAt(2, buffer, 16), 4);
    EXPECT_EQ(QByteArray(buffer, 4), QByteArray("cdef"));
    EXPECT_EQ(file.ReadAt(10, buffer, 4), 0);
    file.Close();
}

TEST(TReadOnlyFile, FailuresCarryTheSystemErrorCode)
{
    TTestFolder folder;
    try {
        TReadOnlyFile file(folder.Path(QStringLiteral("missing")));
        FAIL() << "opened a missing file";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
    }
    TReadOnlyFile directory(folder.Path());
    char buffer[4];
    try {
        directory.ReadAt(0, buffer, 4);
        FAIL() << "read a directory";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EISDIR);
    }
}

TEST(TReadOnlyFile, AFifoWithoutWriterNeverBlocks)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    TReadOnlyFile file(path);
    char buffer[4];
    EXPECT_THROW(file.ReadAt(0, buffer, 4), EInOutError);
}
