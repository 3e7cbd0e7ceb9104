#include "framework/TDirectoryListBox.h"
#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TMouse.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "framework/TApplication.h"
#include "framework/TFileListBox.h"
#include "platform/EInOutError.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class TDirectoryListBoxTest : public ::testing::Test
{
protected:
    TDirectoryListBoxTest()
        : Errors(Application)
    {
        for (const char* folder :
            { "roms/Zelda", "roms/alpha", "roms/Beta", "roms/.hidden", "roms/Beta/deep", "other" })
            QDir().mkpath(Folder.Path(folder));
        Folder.Write("roms/game.v64", "x");
        QFile::link(Folder.Path("other"), Folder.Path("roms/linked"));
        QFile::link(Folder.Path("nowhere"), Folder.Path("roms/dangling"));
        List.SetApplication(&Application);
        List.resize(200, 400);
        List.show();
        QObject::connect(
            &List, &TDirectoryListBox::Change, [this] { Changes.push_back(List.Directory()); });
    }

    QStringList Texts() const
    {
        QStringList texts;
        for (int row = 0; row < List.count(); ++row)
            texts << List.item(row)->text();
        return texts;
    }

    int Row(const QString& text) const
    {
        const QList<QListWidgetItem*> found = List.findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? -1 : List.row(found.front());
    }

    void DoubleClick(const QString& text)
    {
        const int row = Row(text);
        ASSERT_GE(row, 0) << text.toStdString();
        QListWidgetItem* item = List.item(row);
        List.scrollToItem(item);
        ::DoubleClick(List.viewport(), List.visualItemRect(item).center());
    }

    // Makes the folder roms/Caf\xe9 (Latin-1, not UTF-8) and returns its path's bytes.
    QByteArray MakeLatin1Folder() const
    {
        const QByteArray cafe
            = QFile::encodeName(QDir::cleanPath(Folder.Path("roms"))) + "/Caf\xe9";
        EXPECT_EQ(::mkdir(cafe.constData(), 0777), 0);
        return cafe;
    }

    const QString Cafe = QString::fromUtf8("Caf\xc3\xa9");

    TApplication Application;
    TErrorRecorder Errors;
    TTestFolder Folder;
    TDirectoryListBox List;
    QStringList Changes;
};

} // namespace

TEST_F(TDirectoryListBoxTest, ListsThePathFromTheRootDownThenTheSubfolders)
{
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    EXPECT_EQ(List.Directory(), roms);

    QStringList expected { "/" };
    expected << roms.mid(1).split('/');
    const int current = int(expected.size()) - 1;
    expected << "alpha"
             << "Beta"
             << "linked"
             << "Zelda";
    EXPECT_EQ(Texts(), expected)
        << "no files, no hidden or dangling entries, case-insensitive order";

    EXPECT_EQ(List.currentRow(), current);
    EXPECT_EQ(List.ItemPath(0), "/");
    EXPECT_EQ(List.ItemPath(current), roms);
    EXPECT_EQ(List.ItemPath(current + 2), roms + "/Beta");
    for (int row = 0; row <= current; ++row)
        EXPECT_EQ(List.item(row)->data(TDirectoryListBox::LevelRole).toInt(), row);
    EXPECT_EQ(List.item(current + 1)->data(TDirectoryListBox::LevelRole).toInt(), current + 1);
    EXPECT_FALSE(List.item(0)->icon().isNull());
    // The indentation shows in the items' widths.
    EXPECT_GT(List.visualItemRect(List.item(current)).width(), 0);
}

TEST_F(TDirectoryListBoxTest, TheRootListsItsOwnSubfolders)
{
    List.SetDirectory("/");
    EXPECT_EQ(List.Directory(), "/");
    EXPECT_EQ(List.currentRow(), 0);
    EXPECT_GE(Row("tmp"), 1);
    EXPECT_EQ(List.ItemPath(Row("tmp")), "/tmp");
}

TEST_F(TDirectoryListBoxTest, DoubleClickAndEnterOpenAFolderWithOneChangeEach)
{
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    Changes.clear();

    DoubleClick("Beta");
    EXPECT_EQ(List.Directory(), roms + "/Beta");
    EXPECT_EQ(Changes, QStringList { roms + "/Beta" });
    EXPECT_EQ(Texts().back(), "deep");

    // Up to a folder of the path with the keyboard.
    List.setFocus();
    List.setCurrentRow(Row("roms"));
    QTest::keyClick(&List, Qt::Key_Return);
    EXPECT_EQ(List.Directory(), roms);
    EXPECT_EQ(Changes, (QStringList { roms + "/Beta", roms }));

    // A single click only selects.
    const int alpha = Row("alpha");
    QTest::mouseClick(
        List.viewport(), Qt::LeftButton, {}, List.visualItemRect(List.item(alpha)).center());
    EXPECT_EQ(List.currentRow(), alpha);
    EXPECT_EQ(List.Directory(), roms);

    // Opening the folder already shown raises no change.
    QTest::keyClick(&List, Qt::Key_Up);
    List.setCurrentRow(Row("roms"));
    QTest::keyClick(&List, Qt::Key_Enter);
    EXPECT_EQ(Changes.size(), 2);
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TDirectoryListBoxTest, AFilePathOpensTheFolderThatHoldsIt)
{
    List.SetDirectory(Folder.Path("roms/game.v64"));
    EXPECT_EQ(List.Directory(), QDir::cleanPath(Folder.Path("roms")));
    EXPECT_EQ(Changes.size(), 1);
}

TEST_F(TDirectoryListBoxTest, AFolderThatCannotBeOpenedChangesNothing)
{
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    Changes.clear();
    const QStringList before = Texts();

    try {
        List.SetDirectory(Folder.Path("missing"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(),
            "Cannot open folder " + Folder.Path("missing") + ": No such file or directory");
        EXPECT_EQ(error.ErrorCode(), ENOENT);
    }
    QFile::link(Folder.Path("loop2"), Folder.Path("loop1"));
    QFile::link(Folder.Path("loop1"), Folder.Path("loop2"));
    EXPECT_THROW(List.SetDirectory(Folder.Path("loop1")), EInOutError);
    EXPECT_THROW(List.SetDirectory(""), EInOutError);

    EXPECT_EQ(List.Directory(), roms);
    EXPECT_EQ(Texts(), before);
    EXPECT_TRUE(Changes.isEmpty());
}

TEST_F(TDirectoryListBoxTest, AVanishedSubfolderShowsTheErrorBoxAndTheListCatchesUp)
{
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    Changes.clear();
    ASSERT_TRUE(QDir(Folder.Path("roms/alpha")).removeRecursively());

    DoubleClick("alpha");

    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(
        Errors.Boxes[0].Text, "Cannot open folder " + roms + "/alpha: No such file or directory.");
    EXPECT_EQ(List.Directory(), roms);
    EXPECT_TRUE(Changes.isEmpty());
    EXPECT_EQ(Row("alpha"), -1) << "the gone folder is no longer offered";

    // The list still works.
    DoubleClick("Zelda");
    EXPECT_EQ(List.Directory(), roms + "/Zelda");
}

TEST_F(TDirectoryListBoxTest, AnUnreadableFolderShowsTheErrorBox)
{
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    // Others may pass through the folders on the way, so only the lock itself can refuse.
    const QFileDevice::Permissions open = QFileDevice::ReadOwner | QFileDevice::WriteOwner
        | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
    for (const QString& folder : { Folder.Path(), Folder.Path("roms"), Folder.Path("roms/Zelda") })
        ASSERT_TRUE(QFile::setPermissions(folder, open));
    ASSERT_TRUE(QFile::setPermissions(Folder.Path("roms/Beta"), QFileDevice::WriteOwner));
    {
        const TUnprivileged user;
        DoubleClick("Beta");
        EXPECT_EQ(List.Directory(), roms);
        // The user may still go where the system lets them.
        DoubleClick("Zelda");
    }
    QFile::setPermissions(Folder.Path("roms/Beta"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text, "Cannot open folder " + roms + "/Beta: Permission denied.");
    EXPECT_EQ(List.Directory(), roms + "/Zelda");
}

TEST_F(TDirectoryListBoxTest, LinksFollowBeforeTheChangeEventAndTheirFailuresStopIt)
{
    QStringList order;
    QObject follower;
    List.AddLink(&follower, [&](const QString& directory) {
        order << "link " + QDir(directory).dirName();
        if (directory.endsWith("Zelda"))
            throw Exception("Cannot read Zelda");
    });
    QObject::connect(&List, &TDirectoryListBox::Change, [&] { order << "change"; });

    List.SetDirectory(Folder.Path("roms"));
    EXPECT_EQ(order, (QStringList { "link roms", "change" }));

    DoubleClick("Zelda");
    EXPECT_EQ(order, (QStringList { "link roms", "change", "link Zelda" }));
    EXPECT_EQ(Errors.LastText(), "Cannot read Zelda.");

    // A link whose context has gone is dropped.
    {
        QObject shortLived;
        List.AddLink(&shortLived, [&](const QString&) { order << "gone"; });
    }
    List.SetDirectory(Folder.Path("other"));
    EXPECT_FALSE(order.contains("gone"));
}

TEST_F(TDirectoryListBoxTest, AFolderNamedInLatin1IsShownReadablyAndOpensByItsOwnBytes)
{
    const QByteArray cafe = MakeLatin1Folder();
    ASSERT_EQ(::mkdir((cafe + "/Pal\xe9").constData(), 0777), 0);
    const QString roms = QDir::cleanPath(Folder.Path("roms"));
    List.SetDirectory(roms);
    const QStringList subfolders = Texts().mid(Row("roms") + 1);
    EXPECT_EQ(subfolders, (QStringList { "alpha", "Beta", Cafe, "linked", "Zelda" }))
        << "sorted as it reads";
    EXPECT_EQ(EncodeRawText(List.ItemPath(Row(Cafe))), cafe);
    Changes.clear();

    DoubleClick(Cafe);
    EXPECT_EQ(EncodeRawText(List.Directory()), cafe);
    EXPECT_EQ(Changes.size(), 1);
    EXPECT_EQ(List.currentItem()->text(), Cafe) << "the folders of the path read too";
    EXPECT_EQ(Texts().back(), QString::fromUtf8("Pal\xc3\xa9"));

    // By an item's path, by a file in it, and again: one change for the one new folder.
    List.SetDirectory(List.ItemPath(List.count() - 1));
    EXPECT_EQ(EncodeRawText(List.Directory()), cafe + "/Pal\xe9");
    Folder.WriteNative("roms/Caf\xe9/game.v64", "x");
    List.SetDirectory(DecodeRawText(cafe + "/game.v64"));
    EXPECT_EQ(EncodeRawText(List.Directory()), cafe);
    List.SetDirectory(DecodeRawText(cafe));
    EXPECT_EQ(Changes.size(), 3);

    // A folder in it that is not there changes nothing and names the path as it reads.
    try {
        List.SetDirectory(DecodeRawText(cafe + "/missing"));
        FAIL() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.Message(),
            "Cannot open folder " + roms + "/" + Cafe + "/missing: No such file or directory");
    }
    EXPECT_EQ(EncodeRawText(List.Directory()), cafe);
    EXPECT_EQ(Changes.size(), 3);
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TDirectoryListBoxTest, ALinkedFileListListsAFolderNamedInLatin1)
{
    const QByteArray cafe = MakeLatin1Folder();
    Folder.WriteNative("roms/Caf\xe9/zelda.v64", "x");
    Folder.WriteNative("roms/Caf\xe9/\xc9t\xe9.v64", "x");
    TFileListBox files;
    List.AddLink(&files, [&files](const QString& directory) { files.SetDirectory(directory); });
    List.SetDirectory(Folder.Path("roms"));
    EXPECT_EQ(files.Items(), QStringList { "game.v64" });

    DoubleClick(Cafe);
    EXPECT_EQ(EncodeRawText(files.Directory()), cafe);
    EXPECT_EQ(files.Items(), (QStringList { "zelda.v64", DecodeRawText("\xc9t\xe9.v64") }));
    EXPECT_TRUE(Errors.Boxes.empty());
}
