#include "platform/PathKind.h"
#include "QtPrinters.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "platform/EInOutError.h"
#include "platform/RawText.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

TEST(OpenedPathKind, TellsFoldersRegularFilesAndTheRestApart)
{
    const TTestFolder folder;
    EXPECT_EQ(OpenedPathKind(folder.Path()), pkFolder);
    EXPECT_EQ(OpenedPathKind(folder.Write("racer.v64", "bytes")), pkFile);
    ASSERT_TRUE(QFile::link(folder.Path("racer.v64"), folder.Path("linked.v64")));
    EXPECT_EQ(OpenedPathKind(folder.Path("linked.v64")), pkFile);
    // A FIFO without a writer must not hang the question.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.Path("fifo.v64")).constData(), 0600), 0);
    EXPECT_EQ(OpenedPathKind(folder.Path("fifo.v64")), pkOther);
    EXPECT_EQ(OpenedPathKind(QStringLiteral("/dev/null")), pkOther);
    // A name in Latin-1 is looked at by its own bytes.
    const QByteArray latin1 = folder.WriteNative("caf\xe9.v64", "bytes");
    EXPECT_EQ(OpenedPathKind(DecodeRawText(latin1)), pkFile);
}

TEST(OpenedPathKind, WhatCannotBeOpenedIsToldWithItsReason)
{
    const TTestFolder folder;
    try {
        OpenedPathKind(folder.Path("missing.v64"));
        FAIL() << "a missing file was judged";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(),
            "Cannot open " + folder.Path("missing.v64") + ": No such file or directory");
    }

    const QString locked = folder.Write("locked.v64", "bytes");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    const TUnprivileged unprivileged;
    try {
        OpenedPathKind(locked);
        FAIL() << "a file that cannot be read was judged";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EACCES);
        EXPECT_TRUE(error.Message().endsWith(": Permission denied")) << error.Message();
    }
}
