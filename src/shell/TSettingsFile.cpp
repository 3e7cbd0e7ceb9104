#include "TSettingsFile.h"

#include "platform/EIniFileException.h"
#include "platform/FileAccess.h"
#include "platform/TIniFile.h"
#include "platform/port/TKernelPortList.h"
#include "platform/port/TPortAddress.h"
#include "shell/TSettingsKey.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <type_traits>

namespace {

const QString FileTitle = QStringLiteral("Conveyor.ini");

// The three kinds of value the file holds, read and written by the profile rules.
bool Read(const TIniFile& ini, const TSettingsKey& key, bool fallback)
{
    return ini.ReadBool(key.Section, key.Key, fallback);
}

qint32 Read(const TIniFile& ini, const TSettingsKey& key, qint32 fallback)
{
    return ini.ReadInteger(key.Section, key.Key, fallback);
}

QString Read(const TIniFile& ini, const TSettingsKey& key, const QString& fallback)
{
    return ini.ReadString(key.Section, key.Key, fallback);
}

void Write(TIniFile& ini, const TSettingsKey& key, bool value)
{
    ini.WriteBool(key.Section, key.Key, value);
}

void Write(TIniFile& ini, const TSettingsKey& key, qint32 value)
{
    ini.WriteInteger(key.Section, key.Key, value);
}

void Write(TIniFile& ini, const TSettingsKey& key, const QString& value)
{
    ini.WriteString(key.Section, key.Key, value);
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

TPortChoice TSettingsFile::PortChoice(const TSettings& settings)
{
    return { settings.PortIsLPT1 ? ppLPT1 : ppLPT2, ChosenAddress(settings) };
}

std::optional<std::uint16_t> TSettingsFile::ChosenAddress(const TSettings& settings)
{
    if (settings.PortAddress.trimmed().isEmpty())
        return std::nullopt;
    // The stored text is an address; kernel names are not kept, since their numbers change.
    return TPortAddress::Parse(settings.PortAddress, TKernelPortList());
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
    if (!ini.ReadError().isEmpty()) {
        if (FLastRead)
            Settings = *FLastRead;
        else
            FLastRead = Settings;
        ReportUnreadable(ini.ReadError());
        return;
    }
    for (const TSettingsKey& key : SettingsKeys())
        std::visit(
            [&](auto field) {
                using TValue = std::remove_reference_t<decltype(field(Settings))>;
                TValue& value = field(Settings);
                value = Read(ini, key, key.Missing ? std::get<TValue>(*key.Missing) : value);
            },
            key.Field);
    const std::optional<std::uint16_t> address = ChosenAddress(Settings);
    Settings.PortAddress = address ? TPortAddress::Text(*address) : QString();
    FLastRead = Settings;
}

void TSettingsFile::SaveSettings() const
{
    // The Window group is the window as it is now; the record's own fields stay as they are.
    TSettings written = Settings;
    if (WindowLayout) {
        const TWindowLayout window = WindowLayout();
        written.WindowTop = window.Top;
        written.WindowLeft = window.Left;
        written.WindowWidth = window.Width;
        written.WindowHeight = window.Height;
        written.LeftPaneWidth = window.LeftPaneWidth;
        written.WindowMaximized = window.Maximized;
    }

    // The configuration folder may not exist before the first save.
    QDir().mkpath(QFileInfo(FFileName).absolutePath());
    TIniFile ini(FFileName);
    if (!ini.ReadError().isEmpty()) {
        ReportUnreadable(ini.ReadError());
        return;
    }
    for (const TSettingsKey& key : SettingsKeys())
        std::visit([&](auto field) { Write(ini, key, field(written)); }, key.Field);
    ini.UpdateFile();
}

void TSettingsFile::ReportUnreadable(const QString& reason) const
{
    if (FUnreadableReported)
        return;
    FUnreadableReported = true;
    throw EIniFileException::Unreadable(QFileInfo(FFileName).absoluteFilePath(), reason);
}

void TSettingsFile::CheckLastDir()
{
    if (!IsFolder(Settings.LastDir))
        Settings.LastDir = QDir::homePath();
}
