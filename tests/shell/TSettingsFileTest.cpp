#include "shell/TSettingsFile.h"
#include "QtPrinters.h"
#include "TTestFolder.h"
#include "TUnprivileged.h"
#include "platform/EIniFileException.h"
#include "platform/TIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const TSettingsFile::TWindowLayout DesignedWindow { 123, 329, 644, 477, 180 };

QString Home()
{
    return QDir::homePath();
}

// The settings of a program in the test folder, the way start-up prepares them: the
// window centred on a 1024 x 768 screen, then the file loaded when it exists.
struct TStartedSettings
{
    explicit TStartedSettings(const TTestFolder& folder)
        : File(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")))
    {
        File.WindowLayout = [] { return DesignedWindow; };
        File.SetStartupDefaults(1024, 768, DesignedWindow);
        if (File.Exists())
            File.LoadSettings();
        else
            File.SaveSettings();
    }

    TSettingsFile File;
};

TSettings LoadedFrom(const TTestFolder& folder, const QByteArray& text)
{
    folder.Write(QStringLiteral("Conveyor.ini"), text);
    return TStartedSettings(folder).File.Settings;
}

} // namespace

TEST(TSettingsFile, AFirstStartCreatesTheFileWithTheCreationValues)
{
    TTestFolder folder;
    const TStartedSettings started(folder);
    EXPECT_EQ(started.File.FileName(), folder.Path(QStringLiteral("Conveyor.ini")));
    const QByteArray expected = "[Common]\n"
                                "Last=0\n"
                                "TransferPort1=1\n"
                                "Address=\n"
                                "\n"
                                "[Sound]\n"
                                "Beep=0\n"
                                "Play=0\n"
                                "Wave=\n"
                                "\n"
                                "[Directories]\n"
                                "Default="
        + Home().toUtf8()
        + "\n"
          "Last="
        + Home().toUtf8()
        + "\n"
          "Wildcard=*.v64;*.jap;*.pal;*.usa;*.us\n"
          "\n"
          "[Columns]\n"
          "Column1=1\n"
          "Column2=1\n"
          "Column3=1\n"
          "Column4=1\n"
          "Column1Width=130\n"
          "Column2Width=50\n"
          "Column3Width=100\n"
          "Column4Width=65\n"
          "\n"
          "[Window]\n"
          "Top=123\n"
          "Left=329\n"
          "Width=644\n"
          "Height=477\n"
          "Splitter=180\n"
          "Maximized=0\n";
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), expected);

    // The record is not what the file says about the window: it still holds the centred
    // start-up bounds, which is where the window opens.
    EXPECT_EQ(started.File.Settings.WindowTop, 768 / 2 - 477 / 2);
    EXPECT_EQ(started.File.Settings.WindowLeft, 1024 / 2 - 644 / 2);
    EXPECT_FALSE(started.File.Settings.RememberLastDir);
}

TEST(TSettingsFile, MissingKeysFallBackAndTheWindowGroupToTheStartUpValues)
{
    TTestFolder folder;
    const TSettings settings = LoadedFrom(folder, "[Sound]\nBeep=1\n");
    // Unlike the created file, a file that merely lacks the key reopens the last directory.
    EXPECT_TRUE(settings.RememberLastDir);
    EXPECT_TRUE(settings.PortIsLPT1);
    EXPECT_TRUE(settings.BeepWhenFinished);
    EXPECT_FALSE(settings.PlayWhenFinished);
    EXPECT_EQ(settings.WaveFile, QString());
    EXPECT_EQ(settings.DefaultDir, Home());
    EXPECT_EQ(settings.LastDir, Home());
    EXPECT_EQ(settings.Wildcard, QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us"));
    EXPECT_EQ(settings.ColumnVisible, (std::array<bool, 4> { true, true, true, true }));
    EXPECT_EQ(settings.ColumnWidth, (std::array<qint32, 4> { 130, 50, 100, 65 }));
    EXPECT_EQ(settings.WindowTop, 384 - 238);
    EXPECT_EQ(settings.WindowLeft, 512 - 322);
    EXPECT_EQ(settings.WindowWidth, 644);
    EXPECT_EQ(settings.WindowHeight, 477);
    EXPECT_EQ(settings.LeftPaneWidth, 180);
}

TEST(TSettingsFile, ValuesAreReadByTheProfileRules)
{
    TTestFolder folder;
    const TSettings settings = LoadedFrom(folder,
        "[Columns]\n"
        "Column1Width=0x20\n"
        "Column2Width=32px\n"
        "Column3Width=$10\n"
        "Column4Width=-5\n"
        "Column1=2\n"
        "Column2=0\n"
        "Column3=yes\n"
        "[Window]\n"
        "Top=0xFFFFFFFF\n"
        "Left=99999999999\n");
    EXPECT_EQ(settings.ColumnWidth, (std::array<qint32, 4> { 32, 50, 16, -5 }));
    EXPECT_EQ(settings.ColumnVisible, (std::array<bool, 4> { true, false, true, true }));
    EXPECT_EQ(settings.WindowTop, -1);
    EXPECT_EQ(settings.WindowLeft, 512 - 322);
}

TEST(TSettingsFile, MissingWidthsFallBackToWhatTheRecordHoldsAtThatMoment)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Conveyor.ini"), "[Columns]\nColumn1Width=140\n");
    TSettingsFile file(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    file.Settings.ColumnWidth = { 1, 2, 3, 4 };
    file.Settings.LeftPaneWidth = 99;
    file.LoadSettings();
    EXPECT_EQ(file.Settings.ColumnWidth, (std::array<qint32, 4> { 140, 2, 3, 4 }));
    EXPECT_EQ(file.Settings.LeftPaneWidth, 99);
}

TEST(TSettingsFile, ThePortChoiceNamesThePortInTheTimeOutMessage)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Conveyor.ini"), "[Common]\nTransferPort1=0\n");
    TStartedSettings started(folder);
    EXPECT_FALSE(started.File.Settings.PortIsLPT1);
    EXPECT_EQ(TSettingsFile::PortChoice(started.File.Settings).TimeoutText(),
        QStringLiteral("Warning, could not locate any doctor on LPT2."));

    // A port chosen by address is named by it; LPT1 and LPT2 keep their texts.
    const std::pair<QByteArray, QString> cases[] = {
        { "TransferPort1=1\n", QStringLiteral("Warning, could not locate any doctor on LPT1.") },
        { "TransferPort1=0\nAddress=0xd010\n",
            QStringLiteral("Warning, could not locate any doctor at port 0xD010.") },
        { "TransferPort1=1\nAddress=0x3bc\n",
            QStringLiteral("Warning, could not locate any doctor at port 0x3BC.") },
        { "TransferPort1=0\nAddress=0x378\n",
            QStringLiteral("Warning, could not locate any doctor on LPT1.") },
        { "TransferPort1=1\nAddress=0x278\n",
            QStringLiteral("Warning, could not locate any doctor on LPT2.") },
    };
    for (const auto& [common, message] : cases) {
        folder.Write(QStringLiteral("Conveyor.ini"), "[Common]\n" + common);
        started.File.LoadSettings();
        EXPECT_EQ(TSettingsFile::PortChoice(started.File.Settings).TimeoutText(), message)
            << common.constData();
    }
}

// The record holds the address as the program writes it, whatever hand edited the file.
TEST(TSettingsFile, AnAddressIsReadInItsOwnSpellingAndNonsenseIsDropped)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Conveyor.ini"), "[Common]\nTransferPort1=0\nAddress=0xd010\n");
    TStartedSettings started(folder);
    EXPECT_EQ(started.File.Settings.PortAddress, QStringLiteral("0xD010"));
    EXPECT_EQ(TSettingsFile::ChosenAddress(started.File.Settings), 0xD010);
    EXPECT_EQ(TSettingsFile::PortChoice(started.File.Settings).TimeoutText(),
        QStringLiteral("Warning, could not locate any doctor at port 0xD010."));

    // An address that names no port is dropped: TransferPort1 chooses, as without the key.
    for (const QByteArray& nonsense : { QByteArray("0x0"), QByteArray("0x12345"),
             QByteArray("D010"), QByteArray("parport1"), QByteArray("lots") }) {
        folder.Write(QStringLiteral("Conveyor.ini"),
            "[Common]\nTransferPort1=0\nAddress=" + nonsense + "\n");
        started.File.LoadSettings();
        EXPECT_EQ(started.File.Settings.PortAddress, QString()) << nonsense.constData();
        EXPECT_FALSE(started.File.Settings.PortIsLPT1);
        EXPECT_EQ(TSettingsFile::PortChoice(started.File.Settings).TimeoutText(),
            QStringLiteral("Warning, could not locate any doctor on LPT2."));
    }
}

TEST(TSettingsFile, TheAddressIsWrittenAfterTransferPort1AndLeavesItForOlderPrograms)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Conveyor.ini"), "[Common]\nLast=1\nTransferPort1=0\n");
    TStartedSettings started(folder);
    EXPECT_EQ(started.File.Settings.PortAddress, QString());
    started.File.Settings.PortAddress = QStringLiteral("0xE000");
    started.File.SaveSettings();
    const QByteArray text = folder.Read(QStringLiteral("Conveyor.ini"));
    EXPECT_TRUE(text.startsWith("[Common]\nLast=1\nTransferPort1=0\nAddress=0xE000\n"))
        << text.constData();

    // A program that knows only the older keys reads the same LPT choice as before.
    const TIniFile ini(started.File.FileName());
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Common"), QStringLiteral("TransferPort1"), true));

    // An LPT choice writes the key empty.
    started.File.Settings.PortAddress.clear();
    started.File.Settings.PortIsLPT1 = true;
    started.File.SaveSettings();
    EXPECT_TRUE(folder.Read(QStringLiteral("Conveyor.ini"))
                    .startsWith("[Common]\nLast=1\nTransferPort1=1\nAddress=\n"));
    started.File.LoadSettings();
    EXPECT_EQ(TSettingsFile::PortChoice(started.File.Settings).TimeoutText(),
        QStringLiteral("Warning, could not locate any doctor on LPT1."));
}

TEST(TSettingsFile, ALastDirThatIsNoLongerADirectoryBecomesTheHomeFolder)
{
    TTestFolder folder;
    QDir(folder.Path()).mkdir(QStringLiteral("images"));
    const QString images = folder.Path(QStringLiteral("images"));
    folder.Write(QStringLiteral("Conveyor.ini"),
        "[Directories]\nLast=" + images.toUtf8() + "\nDefault=/nowhere\n");

    TStartedSettings kept(folder);
    kept.File.CheckLastDir();
    EXPECT_EQ(kept.File.Settings.LastDir, images);

    QDir(images).removeRecursively();
    TStartedSettings deleted(folder);
    EXPECT_EQ(deleted.File.Settings.LastDir, images);
    deleted.File.CheckLastDir();
    EXPECT_EQ(deleted.File.Settings.LastDir, Home());
    // Only LastDir is checked.
    EXPECT_EQ(deleted.File.Settings.DefaultDir, QStringLiteral("/nowhere"));

    // A file of that name is not a directory either.
    deleted.File.Settings.LastDir = folder.Path(QStringLiteral("Conveyor.ini"));
    deleted.File.CheckLastDir();
    EXPECT_EQ(deleted.File.Settings.LastDir, Home());
}

TEST(TSettingsFile, AWaveFileKeepsItsFirst1023CharactersAndItsCase)
{
    TTestFolder folder;
    const QByteArray longPath = "/Music/" + QByteArray(1500 - 7, 'W');
    EXPECT_EQ(LoadedFrom(folder, "[Sound]\nWave=" + longPath + "\n").WaveFile,
        QString::fromUtf8(longPath.left(1023)));
    EXPECT_EQ(LoadedFrom(folder, "[Sound]\nWave=/Music/Done.WAV\n").WaveFile,
        QStringLiteral("/Music/Done.WAV"));
}

TEST(TSettingsFile, PathsThatAreNotUtf8SurviveALoadAndASaveByteForByte)
{
    TTestFolder folder;
    const QByteArray wave = "/Musik/Fanfare \xe0 la carte.wav";
    const QByteArray images = "/Spiele/\xc4rger";
    folder.Write(QStringLiteral("Conveyor.ini"),
        "[Directories]\nDefault=" + images + "\n[Sound]\nWave=" + wave + "\n");
    TStartedSettings started(folder);
    started.File.SaveSettings();
    const QByteArray text = folder.Read(QStringLiteral("Conveyor.ini"));
    EXPECT_TRUE(text.contains("\nWave=" + wave + "\n")) << text.constData();
    EXPECT_TRUE(text.contains("\nDefault=" + images + "\n")) << text.constData();
}

TEST(TSettingsFile, ASaveRewritesKnownKeysInPlaceAndKeepsEverythingElse)
{
    TTestFolder folder;
    folder.Write(QStringLiteral("Conveyor.ini"),
        "; Conveyor settings, edited by hand\n"
        "[common]\n"
        "LAST=1\n"
        "Theme=dark\n"
        "\n"
        "[Plugins]\n"
        "; none yet\n"
        "[Window]\n"
        "splitter=200\n");
    TStartedSettings started(folder);
    EXPECT_TRUE(started.File.Settings.RememberLastDir);
    EXPECT_EQ(started.File.Settings.LeftPaneWidth, 200);

    started.File.Settings.RememberLastDir = false;
    started.File.Settings.WaveFile = QStringLiteral("/sounds/Fanfare.wav");
    const TSettings before = started.File.Settings;
    started.File.WindowLayout = [] {
        return TSettingsFile::TWindowLayout { 10, 20, 800, 600, 250 };
    };
    started.File.SaveSettings();
    // A save writes the window as it is now but does not copy it into the record.
    EXPECT_EQ(started.File.Settings, before);

    const QByteArray text = folder.Read(QStringLiteral("Conveyor.ini"));
    EXPECT_TRUE(text.startsWith("; Conveyor settings, edited by hand\n"
                                "[common]\n"
                                "LAST=0\n"
                                "Theme=dark\n"
                                "TransferPort1=1\n"
                                "Address=\n"
                                "\n"
                                "[Plugins]\n"
                                "; none yet\n"
                                "[Window]\n"
                                "splitter=250\n"
                                "Top=10\n"
                                "Left=20\n"
                                "Width=800\n"
                                "Height=600\n"
                                "Maximized=0\n"
                                "\n"
                                "[Sound]\n"
                                "Beep=0\n"
                                "Play=0\n"
                                "Wave=/sounds/Fanfare.wav\n"))
        << text.constData();
    EXPECT_EQ(text.count("LAST="), 1) << "Common's, with the file's spelling";
    EXPECT_EQ(text.count("Last="), 1) << "Directories'";

    TSettingsFile again(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    again.LoadSettings();
    TSettings expected = before;
    expected.WindowTop = 10;
    expected.WindowLeft = 20;
    expected.WindowWidth = 800;
    expected.WindowHeight = 600;
    expected.LeftPaneWidth = 250;
    EXPECT_EQ(again.Settings, expected);
}

TEST(TSettingsFile, EveryFieldOfTheRecordSurvivesASaveAndALoad)
{
    // Each field differs from its creation value and from its fallback, so a field the
    // keys leave out comes back changed.
    TTestFolder folder;
    TSettingsFile file(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    TSettings& s = file.Settings;
    s.RememberLastDir = true;
    s.PortIsLPT1 = false;
    s.PortAddress = QStringLiteral("0xD010");
    s.BeepWhenFinished = true;
    s.PlayWhenFinished = true;
    s.WaveFile = QStringLiteral("/sounds/done.wav");
    s.DefaultDir = QStringLiteral("/images/default");
    s.LastDir = QStringLiteral("/images/last");
    s.Wildcard = QStringLiteral("*.v64");
    s.ColumnVisible = { false, true, false, true };
    s.ColumnWidth = { 11, 12, 13, 14 };
    s.WindowTop = 21;
    s.WindowLeft = 22;
    s.WindowWidth = 623;
    s.WindowHeight = 424;
    s.LeftPaneWidth = 125;
    file.SaveSettings();

    TSettingsFile again(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    again.LoadSettings();
    EXPECT_EQ(again.Settings, s);
}

TEST(TSettingsFile, AnUnwritableFileRaisesWithItsFullPathAndLeavesTheRecord)
{
    TTestFolder folder;
    QFile::setPermissions(folder.Path(), QFileDevice::Permissions(0x7777));
    const QByteArray old = "[Common]\nLast=1\n";
    const QString path = folder.Write(QStringLiteral("Conveyor.ini"), old);
    QFile::setPermissions(path, QFileDevice::Permissions(0x4444));

    TStartedSettings started(folder);
    started.File.Settings.LastDir = QStringLiteral("/images");
    const TSettings before = started.File.Settings;
    {
        TUnprivileged unprivileged;
        try {
            started.File.SaveSettings();
            ADD_FAILURE() << "a read-only settings file was written";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Unable to write to ") + path);
        }
    }
    EXPECT_EQ(started.File.Settings, before);
    EXPECT_EQ(folder.Read(QStringLiteral("Conveyor.ini")), old);
}

TEST(TSettingsFile, TheFileLivesBesideTheProgramUnlessThatFolderIsClosedToIt)
{
    TTestFolder folder;
    QFile::setPermissions(folder.Path(), QFileDevice::Permissions(0x7777));
    QDir(folder.Path()).mkdir(QStringLiteral("portable"));
    QDir(folder.Path()).mkdir(QStringLiteral("installed"));
    const QString portable = folder.Path(QStringLiteral("portable/"));
    const QString installed = folder.Path(QStringLiteral("installed/"));
    const QString config = folder.Path(QStringLiteral("config/Conveyor"));
    folder.Write(QStringLiteral("portable/Conveyor.ini"), "[Common]\nLast=0\n");
    QFile::setPermissions(portable, QFileDevice::Permissions(0x5555));
    QFile::setPermissions(installed, QFileDevice::Permissions(0x5555));
    {
        TUnprivileged unprivileged;
        EXPECT_EQ(TSettingsFile::FilePath(folder.Path() + QLatin1Char('/'), config),
            folder.Path(QStringLiteral("Conveyor.ini")));
        EXPECT_EQ(TSettingsFile::FilePath(portable, config), portable + "Conveyor.ini");
        EXPECT_EQ(TSettingsFile::FilePath(installed, config), config + "/Conveyor.ini");

        // The configuration folder is made at the first save.
        TSettingsFile file(installed, config);
        file.SaveSettings();
        EXPECT_TRUE(QFile::exists(config + "/Conveyor.ini"));
    }
    EXPECT_FALSE(QFile::exists(installed + "Conveyor.ini"));
}

// CI runs as root, who may write /usr/bin: the folder's kind decides, not its permissions.
TEST(TSettingsFile, AProgramInASystemFolderKeepsItsSettingsInTheConfigurationFolder)
{
    TTestFolder folder;
    const QString config = folder.Path(QStringLiteral("config/Conveyor"));
    const QString inConfig = config + "/Conveyor.ini";
    EXPECT_EQ(TSettingsFile::FilePath(QStringLiteral("/usr/bin/"), config), inConfig);
    EXPECT_EQ(TSettingsFile::FilePath(QStringLiteral("/usr/local/bin/"), config), inConfig);
    EXPECT_EQ(TSettingsFile::FilePath(QStringLiteral("/bin/"), config), inConfig);
    EXPECT_EQ(TSettingsFile::FilePath(QStringLiteral("/usr/games/"), config), inConfig);
    // A link into the hierarchy counts as where it leads.
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/bin"), folder.Path(QStringLiteral("linked"))));
    EXPECT_EQ(TSettingsFile::FilePath(folder.Path(QStringLiteral("linked/")), config), inConfig);
    // Folders that only look alike stay portable.
    QDir(folder.Path()).mkpath(QStringLiteral("usr/bin"));
    const QString lookalike = folder.Path(QStringLiteral("usr/bin/"));
    EXPECT_EQ(TSettingsFile::FilePath(lookalike, config), lookalike + "Conveyor.ini");
    EXPECT_FALSE(TSettingsFile::IsSystemProgramDirectory(QStringLiteral("/usrlocal/bin/")));
    // The folder this build installs to is one, wherever the prefix put it.
    const QString installed = TSettingsFile::InstalledProgramDirectory();
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_TRUE(installed.endsWith(QStringLiteral("/bin/")));
    EXPECT_TRUE(TSettingsFile::IsSystemProgramDirectory(installed));

    // A save of the installed program lands in the configuration folder.
    const bool existedBefore = QFile::exists(QStringLiteral("/usr/bin/Conveyor.ini"));
    TSettingsFile file(QStringLiteral("/usr/bin/"), config);
    file.SaveSettings();
    EXPECT_TRUE(QFile::exists(inConfig));
    EXPECT_EQ(QFile::exists(QStringLiteral("/usr/bin/Conveyor.ini")), existedBefore);
}

TEST(TSettingsFile, TheProgramDirectoryEndsInExactlyOneSlash)
{
    EXPECT_EQ(TSettingsFile::ProgramDirectoryOf(QStringLiteral("/opt/conveyor/bin/conveyor")),
        QStringLiteral("/opt/conveyor/bin/"));
    EXPECT_EQ(TSettingsFile::ProgramDirectoryOf(QStringLiteral("/conveyor")), QStringLiteral("/"));
}

TEST(TSettingsFile, NonsenseInTheFileGivesTheFallbacks)
{
    TTestFolder folder;
    QByteArray nonsense;
    for (int i = 0; i < 4096; ++i)
        nonsense.append(char((i * 7919) % 251));
    const TSettings settings = LoadedFrom(folder, nonsense);
    TSettings expected;
    expected.RememberLastDir = true;
    expected.WindowTop = 384 - 238;
    expected.WindowLeft = 512 - 322;
    EXPECT_EQ(settings, expected);
}

TEST(TSettingsFile, AFileThatIsNotRegularIsToldOnceTheCreationValuesServeAndItIsNeverWritten)
{
    for (const bool isFifo : { true, false }) {
        SCOPED_TRACE(isFifo ? "a FIFO" : "a link to /dev/zero");
        TTestFolder folder;
        const QString path = folder.Path(QStringLiteral("Conveyor.ini"));
        if (isFifo)
            ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path));

        TSettingsFile file(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
        file.WindowLayout = [] { return DesignedWindow; };
        file.SetStartupDefaults(1024, 768, DesignedWindow);
        const TSettings creation = file.Settings;
        ASSERT_TRUE(file.Exists());
        try {
            file.LoadSettings();
            ADD_FAILURE() << "the file was taken as read";
        } catch (const EIniFileException& error) {
            EXPECT_EQ(error.Message(), "Unable to read " + path + ": not a regular file");
        }
        EXPECT_EQ(file.Settings, creation);

        // Told once: the saves of every resize and the reload of "Cancel" say nothing more,
        // write nothing, and the reload undoes what the preferences changed.
        file.Settings.BeepWhenFinished = true;
        file.Settings.PortIsLPT1 = false;
        EXPECT_NO_THROW(file.SaveSettings());
        EXPECT_NO_THROW(file.LoadSettings());
        EXPECT_EQ(file.Settings, creation);
        EXPECT_EQ(QFileInfo(path).isSymLink(), !isFifo);
        EXPECT_FALSE(QFileInfo(path).isFile());
    }
}

TEST(TSettingsFile, ASaveIsTheFirstToMeetAnUnreadableFileItTellsIt)
{
    TTestFolder folder;
    const QString path = folder.Path(QStringLiteral("Conveyor.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    TSettingsFile file(folder.Path() + QLatin1Char('/'), folder.Path(QStringLiteral("config")));
    file.WindowLayout = [] { return DesignedWindow; };
    EXPECT_THROW(file.SaveSettings(), EIniFileException);
    EXPECT_NO_THROW(file.SaveSettings());
    EXPECT_NO_THROW(file.LoadSettings());
    EXPECT_FALSE(QFileInfo(path).isFile());
}

TEST(TSettingsFile, AByteOrderMarkHidesNoSectionAndStaysInFront)
{
    TTestFolder folder;
    const QByteArray mark = "\xEF\xBB\xBF";
    folder.Write(QStringLiteral("Conveyor.ini"),
        mark + "[Common]\nLast=1\nTransferPort1=0\n[Sound]\nBeep=1\n");
    TStartedSettings started(folder);
    EXPECT_TRUE(started.File.Settings.RememberLastDir);
    EXPECT_FALSE(started.File.Settings.PortIsLPT1);
    EXPECT_TRUE(started.File.Settings.BeepWhenFinished);

    started.File.SaveSettings();
    const QByteArray saved = folder.Read(QStringLiteral("Conveyor.ini"));
    EXPECT_TRUE(saved.startsWith(mark + "[Common]\nLast=1\nTransferPort1=0\n"));
    EXPECT_EQ(saved.count("[Common]"), 1);
    EXPECT_EQ(saved.count(mark), 1);
}
