#include "shell/TFPrefs.h"
#include "QtPrinters.h"
#include "TErrorRecorder.h"
#include "TProcFolder.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "TestWidgets.h"
#include "device/EPortTimeout.h"
#include "device/TGameDoctor.h"
#include "framework/TApplication.h"
#include "framework/TDirectoryListBox.h"
#include "framework/TDriveComboBox.h"
#include "framework/TSpeedButton.h"
#include "shell/TSettingsFile.h"
#include "simulator/TDoctor64.h"
#include "widgets/TWallpaper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

namespace {

bool Activate(QWidget& window)
{
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// The main window as the preferences see it: a window with a status line, and a record of
// what was asked of it.
struct TRecordingHost
{
    TRecordingHost()
    {
        StatusLine = new QLabel(&Main);
        StatusLine->setGeometry(10, 440, 400, 18);
    }

    TFPrefs::THost Host(const TSettings& settings)
    {
        TFPrefs::THost host;
        host.MainWindow = &Main;
        host.StatusLine = StatusLine;
        host.ApplyColumnLayout = [this, &settings] {
            Layouts.push_back({ settings.ColumnVisible, settings.ColumnWidth });
        };
        host.ShowWaveChooser = [this] { ++Choosers; };
        host.PlayWaveFile = [this](const QString& path) { Played << path; };
        return host;
    }

    struct TLayout
    {
        std::array<bool, 4> Visible;
        std::array<qint32, 4> Width;
    };

    QWidget Main;
    QLabel* StatusLine;
    std::vector<TLayout> Layouts;
    int Choosers = 0;
    QStringList Played;
};

class TFPrefsTest : public testing::Test
{
protected:
    TFPrefsTest()
    {
        QDir(Folder.Path()).mkdir("images");
        QDir(Folder.Path()).mkdir("sounds");
    }

    // Start-up as the program runs it: the settings file loaded (or created), then the
    // preferences window created, which applies what the settings hold.
    void Start(const QByteArray& ini = {})
    {
        if (!ini.isEmpty())
            Folder.Write("Conveyor.ini", ini);
        if (File.Exists())
            File.LoadSettings();
        else
            File.SaveSettings();
        TFPrefs::THost host = Recorder.Host(File.Settings);
        host.KernelPorts = [this] { return TKernelPortList::Read(Proc.Path()); };
        Prefs = std::make_unique<TFPrefs>(Application, File, Doctor, host);
    }

    // What the main window's "Preferences" button does.
    void ShowPrefs()
    {
        Recorder.Main.setEnabled(false);
        Prefs->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Prefs.get()));
    }

    template <class T> T* Control(const char* name)
    {
        T* control = Prefs->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    QString Stored(const char* key)
    {
        const QString line = QString::fromUtf8(key) + '=';
        for (const QString& row : QString::fromUtf8(Folder.Read("Conveyor.ini")).split('\n'))
            if (row.startsWith(line))
                return row.mid(line.size()).trimmed();
        return "(missing)";
    }

    QString Images() const { return Folder.Path("images"); }

    // A confirmed entry in one of the width boxes.
    void TypeWidth(const char* box, const QString& text)
    {
        auto* edit = Control<QLineEdit>(box);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    const TTestFolder Folder;
    // The kernel's ports as the window is given them: none until a test adds some.
    TProcFolder Proc;
    TSettingsFile File { Folder.Path() + '/', Folder.Path("config") };
    TApplication Application;
    TErrorRecorder Errors { Application };
    TGameDoctor Doctor;
    TRecordingHost Recorder;
    std::unique_ptr<TFPrefs> Prefs;
};

QByteArray Ini(const QString& text)
{
    return text.toUtf8();
}

} // namespace

TEST_F(TFPrefsTest, IsBuiltFromItsDeclarationAndFilledFromTheSettings)
{
    Start(Ini("[Common]\nLast=0\nTransferPort1=1\n[Sound]\nBeep=1\nPlay=0\n"
              "Wave=/Sounds/Done.WAV\n[Directories]\nDefault="
        + Images() + "\n[Columns]\nColumn1Width=140\n"));

    EXPECT_EQ(Prefs->objectName(), "FPrefs");
    EXPECT_EQ(Prefs->windowTitle(), "Conveyor Preferences");
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_EQ(Prefs->size(), QSize(654, 319));
    EXPECT_EQ(Prefs->minimumSize(), Prefs->maximumSize());
    EXPECT_EQ(Prefs->windowType(), Qt::Tool);
    EXPECT_FALSE(Prefs->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Prefs->parentWidget(), nullptr);

    EXPECT_EQ(Control<QWidget>("DirectoryListBox1")->geometry(), QRect(40, 56, 233, 153));
    EXPECT_EQ(Control<QGroupBox>("GroupBox3")->geometry(), QRect(40, 233, 409, 73));
    EXPECT_EQ(Control<QGroupBox>("GroupBox1")->geometry(), QRect(280, 16, 169, 113));
    EXPECT_EQ(Control<TSpeedButton>("SpeedButton2")->geometry(), QRect(280, 208, 73, 25));
    EXPECT_EQ(Control<TSpeedButton>("SpeedButton1")->geometry(), QRect(352, 208, 97, 25));
    // The port group grows to the right only, and each of its buttons shows its whole caption.
    EXPECT_EQ(Control<QGroupBox>("GroupBox2")->geometry(), QRect(280, 160, 366, 41));
    EXPECT_EQ(Control<QGroupBox>("GroupBox2")->title(), " Choose transfer port: ");
    for (const char* name : { "RadioButton1", "RadioButton2", "RadioButton3" }) {
        auto* button = Control<QRadioButton>(name);
        EXPECT_GE(button->width(), button->sizeHint().width()) << name;
        EXPECT_TRUE(Control<QGroupBox>("GroupBox2")->rect().contains(button->geometry())) << name;
    }
    EXPECT_EQ(Control<QRadioButton>("RadioButton1")->text(), "Port LPT1:");
    EXPECT_EQ(Control<QRadioButton>("RadioButton3")->text(), "Port at:");
    EXPECT_TRUE(Control<QGroupBox>("GroupBox2")
                    ->rect()
                    .contains(Control<QComboBox>("ComboBox1")->geometry()));
    EXPECT_TRUE(Control<QComboBox>("ComboBox1")->isEditable());
    EXPECT_EQ(Control<QGroupBox>("GroupBox1")->title(), " Width's and visible columns: ");
    EXPECT_EQ(Control<QCheckBox>("CheckBox7")->text(), "Play selected wavefile then finished:");
    EXPECT_EQ(Control<TSpeedButton>("SpeedButton1")->text(), "Save Prefs");
    EXPECT_EQ(Control<TSpeedButton>("SpeedButton1")->Glyph().size(), QSize(16, 16));
    EXPECT_EQ(Control<TSpeedButton>("SpeedButton2")->Glyph().size(), QSize(16, 16));
    EXPECT_TRUE(Control<TSpeedButton>("SpeedButton4")->font().bold());
    EXPECT_EQ(Control<TWallpaper>("Wallpaper1")->WallpaperGraphic().size(), QSize(128, 128));
    EXPECT_EQ(Control<TWallpaper>("Wallpaper2")->geometry(), QRect(2, 2, 149, 13));
    // The drive box follows the directory list it is linked to.
    EXPECT_EQ(Control<TDriveComboBox>("DriveComboBox1")->DirList(),
        Control<TDirectoryListBox>("DirectoryListBox1"));

    EXPECT_EQ(Control<TDirectoryListBox>("DirectoryListBox1")->Directory(), Images());
    EXPECT_FALSE(Control<QCheckBox>("CheckBox1")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("CheckBox6")->isChecked());
    EXPECT_FALSE(Control<QCheckBox>("CheckBox7")->isChecked());
    // The wave path keeps its letter case.
    EXPECT_EQ(Control<QLineEdit>("Edit5")->text(), "/Sounds/Done.WAV");
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "140");
    EXPECT_EQ(Control<QLineEdit>("Edit4")->text(), "65");
    EXPECT_TRUE(Control<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TFPrefsTest, AStoredLPT2ChoiceAndHiddenColumnsTakeEffectWhenTheWindowIsCreated)
{
    Start(Ini("[Common]\nTransferPort1=0\n[Directories]\nDefault=" + Images()
        + "\n[Columns]\nColumn2=0\n"));

    // Before the window has ever been shown.
    EXPECT_EQ(Doctor.Port(), ppLPT2);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor on LPT2.");
    ASSERT_FALSE(Recorder.Layouts.empty());
    EXPECT_EQ(Recorder.Layouts.back().Visible, (std::array<bool, 4> { true, false, true, true }));

    // A delivery goes to the device on LPT2's registers, and an absent one is reported there.
    TDoctor64 device(Folder.Path("received"), TGameDoctor::LPT2Address);
    Doctor.SetPortIo(&device);
    const QString image = Folder.Write("images/SAMPLE.V64", QByteArray(40000, '\x5a'));
    Doctor.SendFile(image);
    ASSERT_EQ(device.Files().size(), 1u);
    EXPECT_TRUE(device.Files()[0].Complete);
    EXPECT_EQ(device.Files()[0].ReceivedBytes, 40000u);

    device.SetAbsent(true);
    try {
        Doctor.SendFile(image);
        ADD_FAILURE() << "an absent device took the file";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), "Warning, could not locate any doctor on LPT2.");
    }
}

TEST_F(TFPrefsTest, APortChoiceActsAtOnceAndCancelRestoresTheStoredPort)
{
    Start(Ini("[Common]\nTransferPort1=1\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();

    Control<QRadioButton>("RadioButton2")->click();
    EXPECT_EQ(Doctor.Port(), ppLPT2);
    EXPECT_FALSE(File.Settings.PortIsLPT1);
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor on LPT2.");

    // The next activation refreshes and keeps the choice.
    QWidget other;
    other.show();
    ASSERT_TRUE(Activate(other));
    ASSERT_TRUE(Activate(*Prefs));
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor on LPT2.");

    Control<TSpeedButton>("SpeedButton2")->click();
    EXPECT_EQ(Doctor.Port(), ppLPT1);
    EXPECT_TRUE(File.Settings.PortIsLPT1);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor on LPT1.");
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_TRUE(Recorder.Main.isEnabled());
    EXPECT_EQ(Stored("TransferPort1"), "1");
}

// ---- A port chosen by address ------------------------------------------------------

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

// Typed into the drop-down and confirmed with Enter.
void TypeAddress(QComboBox& box, const QString& text)
{
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), text);
    QTest::keyClick(box.lineEdit(), Qt::Key_Return);
}

TEST_F(TFPrefsTest, PortAtOffersTheKernelsPortsAndAPickedOneIsStoredAndNamedInTheTimeOut)
{
    Proc.AddOnboardAndCard();
    Start(Ini("[Common]\nTransferPort1=1\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    auto* box = Control<QComboBox>("ComboBox1");
    EXPECT_EQ(Items(*box), (QStringList { "0x378 (parport0)", "0xD010 (parport1)" }));
    EXPECT_TRUE(Control<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(Doctor.PortAddress(), TGameDoctor::LPT1Address);

    box->setCurrentIndex(1);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_TRUE(Doctor.PortByAddress());
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_EQ(File.Settings.PortAddress, "0xD010");

    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Stored("Address"), "0xD010");
    EXPECT_EQ(Stored("TransferPort1"), "1");
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor at port 0xD010.");

    // A delivery goes to the card's registers, and an absent device is reported there.
    TDoctor64 device(Folder.Path("received"), 0xD010);
    Doctor.SetPortIo(&device);
    const QString image = Folder.Write("images/SAMPLE.V64", QByteArray(4000, '\x5a'));
    Doctor.SendFile(image);
    ASSERT_EQ(device.Files().size(), 1u);
    EXPECT_TRUE(device.Files()[0].Complete);
    device.SetAbsent(true);
    try {
        Doctor.SendFile(image);
        ADD_FAILURE() << "an absent device took the file";
    } catch (const EPortTimeout& error) {
        EXPECT_EQ(error.Message(), "Warning, could not locate any doctor at port 0xD010.");
    }
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TFPrefsTest, ATypedAddressIsTakenOnlyWhenTheKernelListsIt)
{
    Proc.AddOnboardAndCard();
    Start(Ini("[Common]\nTransferPort1=0\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    auto* box = Control<QComboBox>("ComboBox1");

    // Not a parallel port: refused with a message, LPT2 stays in effect.
    TypeAddress(*box, "0x20");
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text,
        "There is no parallel port at 0x20. The kernel lists 0x378 (parport0), 0xD010 (parport1); "
        "LPT1 (0x378) and LPT2 (0x278) may be chosen as well.");
    EXPECT_TRUE(Control<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_EQ(Doctor.PortAddress(), TGameDoctor::LPT2Address);
    EXPECT_FALSE(Doctor.PortByAddress());
    EXPECT_EQ(File.Settings.PortAddress, "");

    TypeAddress(*box, "0xd010");
    EXPECT_TRUE(Control<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_EQ(box->currentText(), "0xD010 (parport1)");
    EXPECT_FALSE(File.Settings.PortIsLPT1) << "TransferPort1 keeps the last LPT choice";

    // Text that is no address at all, then an address beside a port: both refused, the card
    // stays chosen and shows again.
    TypeAddress(*box, "printer");
    TypeAddress(*box, "0xD011");
    ASSERT_EQ(Errors.Boxes.size(), 3u);
    EXPECT_TRUE(Errors.Boxes[1].Text.contains("\"printer\" is not a port")) << Errors.Boxes[1].Text;
    EXPECT_TRUE(Errors.Boxes[2].Text.startsWith("There is no parallel port at 0xD011."));
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_EQ(File.Settings.PortAddress, "0xD010");
    EXPECT_EQ(box->currentText(), "0xD010 (parport1)");

    // LPT2 typed by its address is LPT2, with its own time-out text.
    TypeAddress(*box, "0x278");
    EXPECT_EQ(Doctor.PortAddress(), TGameDoctor::LPT2Address);
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Stored("Address"), "0x278");
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor on LPT2.");
}

TEST_F(TFPrefsTest, AStoredAddressTakesEffectAtCreationAndCancelRestoresIt)
{
    Proc.AddOnboardAndCard();
    Start(Ini(
        "[Common]\nTransferPort1=1\nAddress=0xD010\n[Directories]\nDefault=" + Images() + "\n"));
    // Before the window has ever been shown.
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(Control<QComboBox>("ComboBox1")->currentText(), "0xD010 (parport1)");
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor at port 0xD010.");

    ShowPrefs();
    Control<QRadioButton>("RadioButton1")->click();
    EXPECT_EQ(Doctor.PortAddress(), TGameDoctor::LPT1Address);
    EXPECT_EQ(File.Settings.PortAddress, "");
    Control<TSpeedButton>("SpeedButton2")->click();
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton3")->isChecked());

    // Another listed port picked, then Cancel: the stored one again.
    ShowPrefs();
    Control<QComboBox>("ComboBox1")->setCurrentIndex(0);
    EXPECT_EQ(Doctor.PortAddress(), 0x378);
    Control<TSpeedButton>("SpeedButton2")->click();
    EXPECT_EQ(Doctor.PortAddress(), 0xD010);
    EXPECT_EQ(Control<QComboBox>("ComboBox1")->currentText(), "0xD010 (parport1)");
    EXPECT_EQ(Stored("Address"), "0xD010");
    EXPECT_TRUE(Errors.Boxes.empty());
}

// A card stored earlier and gone now (removed, driver not loaded) stays the choice: the
// transfer says what is wrong when it runs.
TEST_F(TFPrefsTest, AStoredAddressTheKernelNoLongerListsStaysChosen)
{
    Start(Ini(
        "[Common]\nTransferPort1=0\nAddress=0xE000\n[Directories]\nDefault=" + Images() + "\n"));
    EXPECT_EQ(Doctor.PortAddress(), 0xE000);
    EXPECT_TRUE(Control<QRadioButton>("RadioButton3")->isChecked());
    EXPECT_EQ(Control<QComboBox>("ComboBox1")->count(), 0);
    EXPECT_EQ(TSettingsFile::PortChoice(File.Settings).TimeoutText(),
        "Warning, could not locate any doctor at port 0xE000.");
    EXPECT_TRUE(Errors.Boxes.empty());
}

TEST_F(TFPrefsTest, RememberingTheLastDirectoryGreysTheChooserAtOnceAndReachesTheFileOnSave)
{
    Start(Ini("[Common]\nLast=0\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    auto* remember = Control<QCheckBox>("CheckBox1");
    auto* drives = Control<QWidget>("DriveComboBox1");
    auto* folders = Control<QWidget>("DirectoryListBox1");
    const QColor window = Prefs->palette().color(QPalette::Base);
    const QColor face = Prefs->palette().color(QPalette::Button);
    ASSERT_NE(window, face);
    EXPECT_EQ(folders->palette().color(QPalette::Base), window);

    remember->click();
    EXPECT_TRUE(File.Settings.RememberLastDir);
    EXPECT_FALSE(Control<QLabel>("Label2")->isEnabled());
    EXPECT_FALSE(drives->isEnabled());
    EXPECT_FALSE(folders->isEnabled());
    EXPECT_EQ(drives->palette().color(QPalette::Base), face);
    EXPECT_EQ(folders->palette().color(QPalette::Base), face);
    EXPECT_EQ(Stored("Last"), "0");

    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Stored("Last"), "1");
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_TRUE(Recorder.Main.isEnabled());

    ShowPrefs();
    EXPECT_TRUE(remember->isChecked());
    remember->click();
    EXPECT_FALSE(File.Settings.RememberLastDir);
    EXPECT_TRUE(folders->isEnabled());
    EXPECT_EQ(folders->palette().color(QPalette::Base), window);
}

TEST_F(TFPrefsTest, CancelPutsBackSplitterWidthsAndEveryLiveChangeFromTheFile)
{
    Start(Ini("[Common]\nLast=0\n[Sound]\nBeep=0\n[Directories]\nDefault=" + Images()
        + "\n[Columns]\nColumn1Width=130\nColumn2Width=50\nColumn3Width=100\nColumn4Width=65\n"));
    // The main window's header splitters were moved.
    File.Settings.ColumnWidth = { 210, 44, 100, 90 };
    ShowPrefs();
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "210");

    Control<QCheckBox>("CheckBox6")->click();
    Control<QCheckBox>("CheckBox3")->click();
    EXPECT_TRUE(File.Settings.BeepWhenFinished);
    EXPECT_FALSE(File.Settings.ColumnVisible[1]);
    EXPECT_EQ(Recorder.Layouts.back().Visible, (std::array<bool, 4> { true, false, true, true }));

    Recorder.Layouts.clear();
    Control<TSpeedButton>("SpeedButton2")->click();
    EXPECT_EQ(File.Settings.ColumnWidth, (std::array<qint32, 4> { 130, 50, 100, 65 }));
    EXPECT_FALSE(File.Settings.BeepWhenFinished);
    EXPECT_FALSE(Control<QCheckBox>("CheckBox6")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "130");
    // The main window's layout was given the reloaded columns.
    ASSERT_FALSE(Recorder.Layouts.empty());
    EXPECT_EQ(Recorder.Layouts.back().Visible, (std::array<bool, 4> { true, true, true, true }));
    EXPECT_EQ(Recorder.Layouts.back().Width, (std::array<qint32, 4> { 130, 50, 100, 65 }));
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_TRUE(Recorder.Main.isEnabled());
}

TEST_F(TFPrefsTest, ListenPlaysTheTypedPathButOnlyTheChoosersPathIsKept)
{
    Start(Ini("[Sound]\nWave=/Sounds/Done.WAV\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    auto* path = Control<QLineEdit>("Edit5");
    path->selectAll();
    QTest::keyClicks(path, "/tmp/Other.Wav");
    Control<TSpeedButton>("SpeedButton4")->click();
    EXPECT_EQ(Recorder.Played, QStringList { "/tmp/Other.Wav" });
    EXPECT_EQ(File.Settings.WaveFile, "/Sounds/Done.WAV");

    // "..." opens the chooser without leaving this window.
    Control<TSpeedButton>("SpeedButton3")->click();
    EXPECT_EQ(Recorder.Choosers, 1);
    EXPECT_TRUE(Prefs->isVisible());
    EXPECT_TRUE(Prefs->isEnabled());

    // The chooser sets the path; this window shows it when it is active again.
    File.Settings.WaveFile = "/Sounds/Chosen.wav";
    QWidget chooser;
    chooser.show();
    ASSERT_TRUE(Activate(chooser));
    ASSERT_TRUE(Activate(*Prefs));
    EXPECT_EQ(path->text(), "/Sounds/Chosen.wav");

    path->selectAll();
    QTest::keyClicks(path, "/tmp/Typed.wav");
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Stored("Wave"), "/Sounds/Chosen.wav");
    EXPECT_EQ(path->text(), "/Sounds/Chosen.wav");
}

TEST_F(TFPrefsTest, AFailedSaveShowsTheErrorAndKeepsTheWindowOpen)
{
    QFile::setPermissions(Folder.Path(), QFileDevice::Permissions(0x7777));
    Start(Ini("[Directories]\nDefault=" + Images() + "\n"));
    QFile::setPermissions(File.FileName(), QFileDevice::Permissions(0x4444));
    ShowPrefs();
    Control<QCheckBox>("CheckBox6")->click();
    {
        TUnprivileged unprivileged;
        Control<TSpeedButton>("SpeedButton1")->click();
    }
    ASSERT_EQ(Errors.Boxes.size(), 1u);
    EXPECT_EQ(Errors.Boxes[0].Text, "Unable to write to " + File.FileName() + ".");
    EXPECT_TRUE(Prefs->isVisible());
    EXPECT_FALSE(Recorder.Main.isEnabled());
    EXPECT_TRUE(File.Settings.BeepWhenFinished);
}

TEST_F(TFPrefsTest, ADefaultDirectoryThatHasGoneShowsHomeAndTheRefreshGoesOn)
{
    const QString gone = Folder.Path("gone");
    Start(Ini("[Common]\nLast=0\nTransferPort1=0\n[Directories]\nDefault=" + gone
        + "\n[Columns]\nColumn4=0\n"));

    auto* folders = Control<TDirectoryListBox>("DirectoryListBox1");
    EXPECT_TRUE(Errors.Boxes.empty());
    EXPECT_EQ(folders->Directory(), QDir::homePath());
    // The steps after the directory ran: port and columns.
    EXPECT_EQ(Doctor.Port(), ppLPT2);
    EXPECT_FALSE(Control<QCheckBox>("CheckBox5")->isChecked());
    // The stored choice stays until the user picks a folder.
    EXPECT_EQ(File.Settings.DefaultDir, gone);

    ShowPrefs();
    EXPECT_TRUE(Errors.Boxes.empty());
    EXPECT_EQ(File.Settings.DefaultDir, gone);
    folders->SetDirectory(Images());
    EXPECT_EQ(File.Settings.DefaultDir, Images());
}

TEST_F(TFPrefsTest, WidthBoxesTakeWholeNumbersFrom30To1000AndPutBackAnythingElse)
{
    Start(Ini("[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    const auto widths = [this] { return File.Settings.ColumnWidth; };
    EXPECT_EQ(Control<QLineEdit>("Edit2")->text(), "50");
    EXPECT_EQ(Control<QLineEdit>("Edit3")->text(), "100");

    Recorder.Layouts.clear();
    TypeWidth("Edit1", "200");
    EXPECT_EQ(widths(), (std::array<qint32, 4> { 200, 50, 100, 65 }));
    ASSERT_EQ(Recorder.Layouts.size(), 1u);
    EXPECT_EQ(Recorder.Layouts[0].Width[0], 200);

    for (const char* wrong : { "abc", "29", "1001", "-40", "" }) {
        SCOPED_TRACE(wrong);
        TypeWidth("Edit1", wrong);
        EXPECT_EQ(Control<QLineEdit>("Edit1")->text(), "200");
    }
    TypeWidth("Edit2", "30");
    TypeWidth("Edit3", "1000");
    EXPECT_EQ(widths(), (std::array<qint32, 4> { 200, 30, 1000, 65 }));
    EXPECT_EQ(Recorder.Layouts.size(), 3u);

    // Leaving the box confirms as well.
    auto* last = Control<QLineEdit>("Edit4");
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, "77");
    Control<QLineEdit>("Edit5")->setFocus();
    EXPECT_EQ(widths()[3], 77);

    // Widths reach the file with the next save, one still being typed included.
    auto* first = Control<QLineEdit>("Edit1");
    first->setFocus();
    first->selectAll();
    QTest::keyClicks(first, "180");
    Control<TSpeedButton>("SpeedButton1")->click();
    EXPECT_EQ(Stored("Column1Width"), "180");
    EXPECT_EQ(Stored("Column4Width"), "77");
}

TEST_F(TFPrefsTest, EscapeClosesLikeEveryWayOutKeepingTheChangesUnsaved)
{
    Start(Ini("[Sound]\nBeep=0\n[Directories]\nDefault=" + Images() + "\n"));
    ShowPrefs();
    Control<QCheckBox>("CheckBox6")->click();
    auto* path = Control<QLineEdit>("Edit5");
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Escape);
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_TRUE(Recorder.Main.isEnabled());
    EXPECT_TRUE(File.Settings.BeepWhenFinished);
    EXPECT_EQ(Stored("Beep"), "0");

    // Closed by the window system, the same.
    ShowPrefs();
    Prefs->close();
    EXPECT_FALSE(Prefs->isVisible());
    EXPECT_TRUE(Recorder.Main.isEnabled());
}

TEST_F(TFPrefsTest, ShownBelowTheMainWindowsTopAndCentredOnItsStatusLine)
{
    Start(Ini("[Directories]\nDefault=" + Images() + "\n"));
    Recorder.Main.show();
    // Far enough right for the whole window to show at its first showing: the offscreen
    // platform moves a new window's frame that would start left of the screen.
    PlaceFrame(Recorder.Main, QRect(200, 50, 640, 480));
    ShowPrefs();
    const QRect frame = Prefs->frameGeometry();
    EXPECT_EQ(frame.top(), 50 + 70);
    EXPECT_EQ(frame.left(), 200 + 10 + 400 / 2 - frame.width() / 2);

    // Every showing places it again.
    Prefs->close();
    PlaceFrame(Recorder.Main, QRect(-300, 20, 640, 480));
    ShowPrefs();
    const QRect main = Recorder.Main.frameGeometry();
    EXPECT_EQ(Prefs->frameGeometry().topLeft(),
        QPoint(main.left() + 210 - frame.width() / 2, main.top() + 70));
    EXPECT_LT(Prefs->frameGeometry().left(), 0);
}
