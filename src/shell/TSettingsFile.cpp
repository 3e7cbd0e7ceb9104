#include "TSettingsFile.h"

#include "FileAccess.h"
#include "TIniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString FileTitle = QStringLiteral("Conveyor.ini");

const QString Common = QStringLiteral("Common");
const QString Sound = QStringLiteral("Sound");
const QString Directories = QStringLiteral("Directories");
const QString Columns = QStringLiteral("Columns");
const QString Window = QStringLiteral("Window");

QString ColumnKey(int column)
{
    return QStringLiteral("Column%1").arg(column + 1);
}

QString ColumnWidthKey(int column)
{
    return QStringLiteral("Column%1Width").arg(column + 1);
}

// The folders of the system's shared program hierarchy. A program there belongs to every
// user, and a root run would otherwise leave its settings among the system's files.
const QString SystemRoots[]
    = { QStringLiteral("/usr"), QStringLiteral("/bin"), QStringLiteral("/sbin") };

// The folder with symbolic links resolved where it exists, so /bin on a merged /usr and
// links into the hierarchy count as what they lead to.
QString ResolvedFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool IsSameOrInside(const QString& path, const QString& root)
{
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

QString TSettingsFile::InstalledProgramDirectory()
{
#ifdef CONVEYOR_INSTALL_BINDIR
    return QStringLiteral(CONVEYOR_INSTALL_BINDIR "/");
#else
    return QString();
#endif
}

bool TSettingsFile::IsSystemProgramDirectory(const QString& programDirectory)
{
    const QString path = ResolvedFolder(programDirectory);
    const QString installed = InstalledProgramDirectory();
    if (!installed.isEmpty() && IsSameOrInside(path, ResolvedFolder(installed)))
        return true;
    for (const QString& root : SystemRoots) {
        if (IsSameOrInside(path, root))
            return true;
    }
    return false;
}

QString TSettingsFile::ProgramDirectoryOf(const QString& programFile)
{
    QString directory = QFileInfo(programFile).absolutePath();
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

QString TSettingsFile::FilePath(const QString& programDirectory, const QString& configFolder)
{
    const QString beside = programDirectory + FileTitle;
    if (IsSystemProgramDirectory(programDirectory))
        return QDir(configFolder).filePath(FileTitle);
    if (QFileInfo::exists(beside) || IsWritable(programDirectory))
        return beside;
    return QDir(configFolder).filePath(FileTitle);
}

QString TSettingsFile::DefaultConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString TSettingsFile::PortTimeoutMessageFor(bool portIsLPT1)
{
    return portIsLPT1 ? QStringLiteral("Warning, could not locate any doctor on LPT1.")
                      : QStringLiteral("Warning, could not locate any doctor on LPT2.");
}

TSettingsFile::TSettingsFile(const QString& programDirectory, const QString& configFolder)
    : ProgramDirectory(programDirectory)
    , FFileName(FilePath(programDirectory, configFolder))
{
}

bool TSettingsFile::Exists() const
{
    return QFileInfo::exists(FFileName);
}

void TSettingsFile::SetStartupDefaults(
    qint32 screenWidth, qint32 screenHeight, const TWindowLayout& window)
{
    Settings.WindowTop = screenHeight / 2 - window.Height / 2;
    Settings.WindowLeft = screenWidth / 2 - window.Width / 2;
    Settings.WindowWidth = window.Width;
    Settings.WindowHeight = window.Height;
    Settings.LeftPaneWidth = window.LeftPaneWidth;
    Settings.ColumnWidth = TSettings().ColumnWidth;
}

void TSettingsFile::LoadSettings()
{
    const TIniFile ini(FFileName);
    TSettings& s = Settings;
    s.RememberLastDir = ini.ReadBool(Common, QStringLiteral("Last"), true);
    s.PortIsLPT1 = ini.ReadBool(Common, QStringLiteral("TransferPort1"), true);
    s.BeepWhenFinished = ini.ReadBool(Sound, QStringLiteral("Beep"), false);
    s.PlayWhenFinished = ini.ReadBool(Sound, QStringLiteral("Play"), false);
    s.WaveFile = ini.ReadString(Sound, QStringLiteral("Wave"), QString());
    s.DefaultDir = ini.ReadString(Directories, QStringLiteral("Default"), QDir::homePath());
    s.LastDir = ini.ReadString(Directories, QStringLiteral("Last"), QDir::homePath());
    s.Wildcard = ini.ReadString(Directories, QStringLiteral("Wildcard"), TSettings().Wildcard);
    for (int column = 0; column < 4; ++column)
        s.ColumnVisible[column] = ini.ReadBool(Columns, ColumnKey(column), true);
    // These fall back to what the record holds: the start-up values placed there first.
    for (int column = 0; column < 4; ++column)
        s.ColumnWidth[column]
            = ini.ReadInteger(Columns, ColumnWidthKey(column), s.ColumnWidth[column]);
    s.WindowTop = ini.ReadInteger(Window, QStringLiteral("Top"), s.WindowTop);
    s.WindowLeft = ini.ReadInteger(Window, QStringLiteral("Left"), s.WindowLeft);
    s.WindowWidth = ini.ReadInteger(Window, QStringLiteral("Width"), s.WindowWidth);
    s.WindowHeight = ini.ReadInteger(Window, QStringLiteral("Height"), s.WindowHeight);
    s.LeftPaneWidth = ini.ReadInteger(Window, QStringLiteral("Splitter"), s.LeftPaneWidth);
    PortTimeoutMessage = PortTimeoutMessageFor(s.PortIsLPT1);
}

void TSettingsFile::SaveSettings() const
{
    const TSettings& s = Settings;
    const TWindowLayout window = WindowLayout
        ? WindowLayout()
        : TWindowLayout { s.WindowTop, s.WindowLeft, s.WindowWidth, s.WindowHeight,
              s.LeftPaneWidth };

    // The configuration folder may not exist before the first save.
    QDir().mkpath(QFileInfo(FFileName).absolutePath());
    TIniFile ini(FFileName);
    ini.WriteBool(Common, QStringLiteral("Last"), s.RememberLastDir);
    ini.WriteBool(Common, QStringLiteral("TransferPort1"), s.PortIsLPT1);
    ini.WriteBool(Sound, QStringLiteral("Beep"), s.BeepWhenFinished);
    ini.WriteBool(Sound, QStringLiteral("Play"), s.PlayWhenFinished);
    ini.WriteString(Sound, QStringLiteral("Wave"), s.WaveFile);
    ini.WriteString(Directories, QStringLiteral("Default"), s.DefaultDir);
    ini.WriteString(Directories, QStringLiteral("Last"), s.LastDir);
    ini.WriteString(Directories, QStringLiteral("Wildcard"), s.Wildcard);
    for (int column = 0; column < 4; ++column)
        ini.WriteBool(Columns, ColumnKey(column), s.ColumnVisible[column]);
    for (int column = 0; column < 4; ++column)
        ini.WriteInteger(Columns, ColumnWidthKey(column), s.ColumnWidth[column]);
    ini.WriteInteger(Window, QStringLiteral("Top"), window.Top);
    ini.WriteInteger(Window, QStringLiteral("Left"), window.Left);
    ini.WriteInteger(Window, QStringLiteral("Width"), window.Width);
    ini.WriteInteger(Window, QStringLiteral("Height"), window.Height);
    ini.WriteInteger(Window, QStringLiteral("Splitter"), window.LeftPaneWidth);
    ini.UpdateFile();
}

void TSettingsFile::CheckLastDir()
{
    if (!QFileInfo(Settings.LastDir).isDir())
        Settings.LastDir = QDir::homePath();
}
