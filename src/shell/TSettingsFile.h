#pragma once

#include "device/TPortChoice.h"
#include "shell/TSettings.h"

#include <cstdint>
#include <optional>

#include <QString>

#include <functional>

// The settings file "Conveyor.ini" and the in-memory record it fills, with the values kept
// beside the record. Every load and save opens the file and releases it at its end.
class TSettingsFile
{
public:
    // The main window's bounds and its left pane's width, the Window group of a save.
    struct TWindowLayout
    {
        qint32 Top = 0;
        qint32 Left = 0;
        qint32 Width = 0;
        qint32 Height = 0;
        qint32 LeftPaneWidth = 0;
        // The bounds above are the normal ones also while this is set.
        bool Maximized = false;
    };

    // The folder of the program file with one "/" appended (none after "/" itself).
    static QString ProgramDirectoryOf(const QString& programFile);
    // Where the settings file lives: beside the program when that folder is writable or
    // already holds one (a portable install, a build tree), else in the configuration folder,
    // so an installed program in a read-only folder can still save. A program in a system
    // program folder always keeps them in the configuration folder, even when run by root,
    // who could write there.
    static QString FilePath(const QString& programDirectory, const QString& configFolder);
    // Whether the folder is, or lies in, the system's program hierarchy (/usr, /bin, /sbin)
    // or the folder this build installs its programs to, links resolved.
    static bool IsSystemProgramDirectory(const QString& programDirectory);
    // The folder `cmake --install` puts the programs in (with its trailing "/"); empty when
    // the build does not say.
    static QString InstalledProgramDirectory();
    // The user's configuration folder for this application.
    static QString DefaultConfigFolder();
    // The port the settings choose: Address when it names one, else TransferPort1's LPT1 or
    // LPT2.
    static TPortChoice PortChoice(const TSettings& settings);
    // The base address that Address names: nothing when it is empty or names no address,
    // and then TransferPort1 chooses LPT1 or LPT2.
    static std::optional<std::uint16_t> ChosenAddress(const TSettings& settings);

    // The settings of a program in the given folder (with its trailing "/").
    explicit TSettingsFile(
        const QString& programDirectory, const QString& configFolder = DefaultConfigFolder());

    const QString ProgramDirectory;
    TSettings Settings;
    // Asked at every save for the Window group; the owner (the main window) supplies it.
    // Without it a save writes the record's own window fields.
    std::function<TWindowLayout()> WindowLayout;

    const QString& FileName() const { return FFileName; }
    bool Exists() const;

    // The start-up values a load falls back to for the column widths and the window group:
    // the window centred on the screen at its current size, the designed column widths.
    void SetStartupDefaults(qint32 screenWidth, qint32 screenHeight, const TWindowLayout& window);

    // Reads every key into Settings, each with its fallback. An Address that names no port is
    // dropped, so the LPT port of TransferPort1 serves. A file that exists but cannot be read
    // (a FIFO, a device, no permission) leaves the record as the last load gave it, the
    // creation values at start-up.
    void LoadSettings();
    // Writes every key, in file order; the Window group comes from WindowLayout. The record
    // is left as it is. Raises EIniFileException when the file cannot be written. A file that
    // cannot be read is never written, since that would replace what it holds unseen.
    void SaveSettings() const;
    // A LastDir that is no longer an existing directory becomes the home folder.
    void CheckLastDir();

private:
    // Raises "Unable to read" the first time a load or a save meets a file it cannot read; the
    // saves of every resize and folder change would otherwise repeat the box.
    void ReportUnreadable(const QString& reason) const;

    QString FFileName;
    std::optional<TSettings> FLastRead;
    mutable bool FUnreadableReported = false;
};
