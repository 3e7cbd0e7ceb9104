#include "shell/TOpenDia.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "framework/TApplication.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TDriveComboBox.h"
#include "framework/TFilterComboBox.h"
#include "framework/TSpeedButton.h"
#include "framework/TVisibleFileListBox.h"
#include "platform/EMCIDeviceError.h"
#include "platform/RawText.h"
#include "shell/TSettingsFile.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList Items(const QListWidget& list)
{
    QStringList items;
    for (int row = 0; row < list.count(); ++row)
        items.append(list.item(row)->text());
    return items;
}

class TOpenDiaTest : public ::testing::Test
{
protected:
    TOpenDiaTest()
    {
        Application.SetErrorPresenter(
            [this](const QString&, const QString& text) { Boxes.append(text); });
        Folder.Write(QStringLiteral("sounds/Chime.WAV"), "RIFF");
        Folder.Write(QStringLiteral("sounds/ding.wav"), "RIFF");
        Folder.Write(QStringLiteral("sounds/notes.txt"), "words");
        QDir().mkpath(Folder.Path(QStringLiteral("sounds/folder.wav")));
        QDir().mkpath(Folder.Path(QStringLiteral("elsewhere")));
        Chooser.show();
    }

    template <class T> T* Control(const char* name) const
    {
        T* control = Chooser.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    TVisibleFileListBox* Files() const { return Control<TVisibleFileListBox>("FileListBox1"); }
    TDirectoryListBox* Folders() const { return Control<TDirectoryListBox>("DirectoryListBox1"); }
    QLineEdit* Edit() const { return Control<QLineEdit>("Edit1"); }
    QString Sounds() const { return Folder.Path(QStringLiteral("sounds")); }

    // Another window takes the focus, then the chooser gets it back.
    void Reactivate()
    {
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        Chooser.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Chooser));
    }

    void ClickFile(const QString& name, bool twice = false)
    {
        const QList<QListWidgetItem*> found = Files()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        const QPoint at = Files()->visualItemRect(found.front()).center();
        QWidget* viewport = Files()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mousePress(viewport, Qt::LeftButton, {}, at);
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
        }
    }

    TTestFolder Folder;
    TApplication Application;
    TSettingsFile Settings { Folder.Path() + QLatin1Char('/'),
        Folder.Path(QStringLiteral("config")) };
    QStringList Played;
    QStringList Boxes;
    TOpenDia Chooser { Application, Settings,
        [this](const QString& path) { Played.append(path); } };
};

} // namespace

TEST_F(TOpenDiaTest, IsDeclaredWithItsControlsAtTheirPlaces)
{
    EXPECT_EQ(Chooser.windowTitle(), "Conveyor Open Dialog");
    EXPECT_EQ(Chooser.windowType(), Qt::Tool);
    EXPECT_EQ(Chooser.size(), QSize(411, 308));
    EXPECT_EQ(Chooser.pos(), QPoint(374, 202));
    EXPECT_EQ(Chooser.font().family(), "Arial");
    EXPECT_EQ(Control<TDriveComboBox>("DriveComboBox1")->geometry(), QRect(8, 8, 153, 20));
    EXPECT_EQ(Folders()->geometry(), QRect(8, 32, 153, 209));
    EXPECT_EQ(Files()->geometry(), QRect(168, 8, 233, 233));
    EXPECT_TRUE(Files()->isVisible());
    EXPECT_EQ(Files()->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(Edit()->geometry(), QRect(8, 248, 393, 22));
    auto* filter = Control<TFilterComboBox>("FilterComboBox1");
    EXPECT_EQ(filter->geometry(), QRect(8, 280, 249, 22));
    EXPECT_EQ(filter->Filter(), "Wave files (*.wav)|*.wav|All files (*.*)|*.*");
    EXPECT_EQ(filter->Mask(), "*.wav");
    EXPECT_EQ(Files()->Mask(), "*.wav");
    const QStringList captions = { ">", "Open", "Cancel" };
    const QList<QRect> places
        = { { 264, 280, 25, 22 }, { 296, 280, 50, 22 }, { 352, 280, 50, 22 } };
    const char* names[] = { "SpeedButton3", "SpeedButton1", "SpeedButton2" };
    for (int i = 0; i < 3; ++i) {
        auto* button = Control<TSpeedButton>(names[i]);
        EXPECT_EQ(button->text(), captions[i]);
        EXPECT_EQ(button->geometry(), places[i]);
        EXPECT_EQ(button->font().bold(), i == 0);
    }
    // The drive box and the file list follow the directory list.
    Folders()->SetDirectory(Sounds());
    EXPECT_EQ(Files()->Directory(), Sounds());
    EXPECT_EQ(Control<TDriveComboBox>("DriveComboBox1")->DirList(), Folders());
}

TEST_F(TOpenDiaTest, TheFileListShowsTheFolderFilesMatchingTheFileType)
{
    Folders()->SetDirectory(Sounds());
    EXPECT_EQ(Edit()->text(), Sounds());
    // Masks match without regard to case; folders are never listed, whatever their name.
    EXPECT_EQ(Items(*Files()), QStringList({ "Chime.WAV", "ding.wav" }));
    Control<TFilterComboBox>("FilterComboBox1")->setCurrentIndex(1);
    EXPECT_EQ(Items(*Files()), QStringList({ "Chime.WAV", "ding.wav", "notes.txt" }));
}

TEST_F(TOpenDiaTest, ClickingAFileTakesItsPathAndOpenPutsItIntoTheSettingsUnsaved)
{
    Settings.Settings.WaveFile = QDir(Sounds()).filePath(QStringLiteral("ding.wav"));
    Reactivate();
    EXPECT_EQ(Folders()->Directory(), Sounds());

    ClickFile(QStringLiteral("Chime.WAV"));
    EXPECT_EQ(Files()->FileName(), Sounds() + "/Chime.WAV");
    EXPECT_EQ(Edit()->text(), Sounds() + "/Chime.WAV");
    // A click beside the files keeps the file chosen.
    QTest::mouseClick(Files()->viewport(), Qt::LeftButton, {}, QPoint(100, 220));
    EXPECT_EQ(Files()->FileName(), Sounds() + "/Chime.WAV");
    // The keyboard chooses too.
    QTest::keyClick(Files(), Qt::Key_Down);
    EXPECT_EQ(Edit()->text(), Sounds() + "/ding.wav");
    EXPECT_TRUE(Played.isEmpty());

    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Settings.Settings.WaveFile, Sounds() + "/ding.wav");
    EXPECT_FALSE(Chooser.isVisible());
    EXPECT_FALSE(QFile::exists(Settings.FileName()));
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(TOpenDiaTest, AFileNameThatIsNotUtf8IsShownAsLatin1AndChosenByItsBytes)
{
    const QByteArray latin1 = QFile::encodeName(Sounds()) + "/F\xe9te.wav";
    Folder.WriteNative("sounds/F\xe9te.wav", "RIFF");
    Folders()->SetDirectory(Sounds());
    const QString shown = QString::fromUtf8("F\xc3\xa9te.wav");
    EXPECT_EQ(Items(*Files()), QStringList({ "Chime.WAV", "ding.wav", shown }));
    ClickFile(shown);
    EXPECT_EQ(EncodeRawText(Files()->FileName()), latin1);
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(EncodeRawText(Settings.Settings.WaveFile), latin1);
}

TEST_F(TOpenDiaTest, AFolderNamedInLatin1OpensAndItsFilesAreChosenByTheirBytes)
{
    const QByteArray cafe = QFile::encodeName(Sounds()) + "/Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0777), 0);
    Folder.WriteNative("sounds/Caf\xe9/bell.wav", "RIFF");
    Folders()->SetDirectory(Sounds());
    const QList<QListWidgetItem*> found
        = Folders()->findItems(QString::fromUtf8("Caf\xc3\xa9"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    Folders()->SetDirectory(found.front()->data(TDirectoryListBox::PathRole).toString());
    EXPECT_EQ(Items(*Files()), QStringList { "bell.wav" });
    ClickFile(QStringLiteral("bell.wav"));
    EXPECT_EQ(EncodeRawText(Files()->FileName()), cafe + "/bell.wav");
    // The path reads well, and "Open" takes its bytes all the same.
    EXPECT_EQ(Edit()->text(), Sounds() + QString::fromUtf8("/Caf\xc3\xa9/bell.wav"));
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(EncodeRawText(Settings.Settings.WaveFile), cafe + "/bell.wav");
    // Shown again, the chooser comes back to that folder, not to the one above it.
    Folders()->SetDirectory(Folder.Path(QStringLiteral("elsewhere")));
    Chooser.show();
    Reactivate();
    EXPECT_EQ(EncodeRawText(Folders()->Directory()), cafe);
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(TOpenDiaTest, CancelAndTheCloseBoxKeepTheWaveFile)
{
    const QString wave = Sounds() + "/ding.wav";
    Settings.Settings.WaveFile = wave;
    Folders()->SetDirectory(Sounds());
    ClickFile(QStringLiteral("Chime.WAV"));
    Control<TSpeedButton>("SpeedButton2")->click();
    EXPECT_FALSE(Chooser.isVisible());
    EXPECT_EQ(Settings.Settings.WaveFile, wave);

    Chooser.show();
    ClickFile(QStringLiteral("Chime.WAV"));
    EXPECT_TRUE(Chooser.close());
    EXPECT_FALSE(Chooser.isVisible());
    EXPECT_EQ(Settings.Settings.WaveFile, wave);
}

TEST_F(TOpenDiaTest, OpenTakesWhateverTheEditHolds)
{
    Folders()->SetDirectory(Sounds());
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Settings.Settings.WaveFile, Sounds());
    // A path typed by hand is taken as typed.
    Edit()->clear();
    QTest::keyClicks(Edit(), QStringLiteral("/typed/chime.wav"));
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Settings.Settings.WaveFile, "/typed/chime.wav");
}

TEST_F(TOpenDiaTest, ReactivationReturnsToTheWaveFolder)
{
    Settings.Settings.WaveFile = Sounds() + "/ding.wav";
    Reactivate();
    EXPECT_EQ(Folders()->Directory(), Sounds());
    Folders()->SetDirectory(Folder.Path(QStringLiteral("elsewhere")));
    Reactivate();
    EXPECT_EQ(Folders()->Directory(), Sounds());
    EXPECT_EQ(Files()->Directory(), Sounds());

    // Without a wave the chooser stays where it was.
    Settings.Settings.WaveFile = QStringLiteral("x");
    Folders()->SetDirectory(Folder.Path(QStringLiteral("elsewhere")));
    Reactivate();
    EXPECT_EQ(Folders()->Directory(), Folder.Path(QStringLiteral("elsewhere")));
    EXPECT_TRUE(Boxes.isEmpty());
}

TEST_F(TOpenDiaTest, AWaveWhoseFolderHasGoneOpensTheNearestFolderWithoutABox)
{
    Settings.Settings.WaveFile = Sounds() + "/gone/deeper/ding.wav";
    Reactivate();
    EXPECT_EQ(Folders()->Directory(), Sounds());
    EXPECT_TRUE(Boxes.isEmpty());

    // A folder that exists but cannot be read is passed over for the one above it.
    const QString locked = Folder.Path(QStringLiteral("locked"));
    QDir().mkpath(locked);
    // The folder above stays readable for everybody.
    ::chmod(QFile::encodeName(Folder.Path()).constData(), 0755);
    ::chmod(QFile::encodeName(locked).constData(), 0);
    {
        const TUnprivileged unprivileged;
        Settings.Settings.WaveFile = locked + "/ding.wav";
        Reactivate();
        EXPECT_EQ(Folders()->Directory(), Folder.Path());
        EXPECT_TRUE(Boxes.isEmpty());
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

TEST_F(TOpenDiaTest, ListenPlaysTheSelectedFileOnlyAndDoubleClickPlaysToo)
{
    Folders()->SetDirectory(Sounds());
    auto* listen = Control<TSpeedButton>("SpeedButton3");
    listen->click();
    EXPECT_TRUE(Played.isEmpty());
    EXPECT_TRUE(Boxes.isEmpty());

    ClickFile(QStringLiteral("Chime.WAV"));
    Edit()->setText(QStringLiteral("/typed/by/hand.wav"));
    listen->click();
    listen->click();
    EXPECT_EQ(Played, QStringList({ Sounds() + "/Chime.WAV", Sounds() + "/Chime.WAV" }));

    Played.clear();
    ClickFile(QStringLiteral("ding.wav"), true);
    EXPECT_EQ(Played, QStringList({ Sounds() + "/ding.wav" }));
    EXPECT_EQ(Edit()->text(), Sounds() + "/ding.wav");
}

TEST(TOpenDia, AFileThatCannotBePlayedShowsTheBox)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("bad.wav"), "words");
    TApplication application;
    QStringList boxes;
    application.SetErrorPresenter(
        [&boxes](const QString&, const QString& text) { boxes.append(text); });
    TSettingsFile settings(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    TOpenDia chooser(application, settings,
        [](const QString& path) { throw EMCIDeviceError(QStringLiteral("Not a wave: ") + path); });
    chooser.show();
    chooser.findChild<TDirectoryListBox*>("DirectoryListBox1")->SetDirectory(folder.Path());
    auto* files = chooser.findChild<TVisibleFileListBox*>("FileListBox1");
    files->setCurrentRow(0);
    chooser.findChild<TSpeedButton*>("SpeedButton3")->click();
    EXPECT_EQ(boxes, QStringList({ "Not a wave: " + folder.Path() + "/bad.wav." }));
    EXPECT_TRUE(chooser.isVisible());
}
