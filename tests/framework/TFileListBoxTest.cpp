#include "framework/TFileListBox.h"
#include "TTestFolder.h"
#include "platform/EInOutError.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

TEST(TFileListBox, ListsTheDirectoryWhenItChanges)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("b.v64"), "x");
    folder.Write(QStringLiteral("A.JAP"), "x");
    folder.Write(QStringLiteral("c.txt"), "x");
    TFileListBox list;
    EXPECT_EQ(list.Mask(), QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us"));
    QSignalSpy changes(&list, &TFileListBox::Change);
    list.SetDirectory(folder.Path());
    EXPECT_EQ(list.Items(), (QStringList { "A.JAP", "b.v64" }));
    EXPECT_EQ(changes.count(), 1);
    list.SetDirectory(folder.Path());
    EXPECT_EQ(changes.count(), 1);
}

TEST(TFileListBox, ReadsAgainOnlyForAnotherMaskOrOnUpdate)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("b.v64"), "x");
    TFileListBox list;
    list.SetDirectory(folder.Path());
    QSignalSpy changes(&list, &TFileListBox::Change);
    list.SetMask(list.Mask());
    EXPECT_EQ(changes.count(), 0);
    list.SetMask(QStringLiteral("*.*"));
    EXPECT_EQ(changes.count(), 1);
    folder.Write(QStringLiteral("new.txt"), "x");
    EXPECT_EQ(list.Items(), QStringList { "b.v64" });
    list.Update();
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(list.Items(), (QStringList { "b.v64", "new.txt" }));
}

TEST(TFileListBox, AnUnreadableDirectoryRaisesAndKeepsTheList)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("b.v64"), "x");
    TFileListBox list;
    list.SetDirectory(folder.Path());
    QSignalSpy changes(&list, &TFileListBox::Change);
    EXPECT_THROW(list.SetDirectory(folder.Path(QStringLiteral("missing"))), EInOutError);
    EXPECT_EQ(list.Directory(), folder.Path());
    EXPECT_EQ(list.Items(), QStringList { "b.v64" });
    EXPECT_EQ(changes.count(), 0);
}
