#pragma once

#include "catalogue/HeaderButtons.h"

#include <QString>

#include <array>

// The user's choices kept between runs, one field per key of the settings file, in file
// order (TSettingsKey has the keys). Windows edit the fields live; the file follows at the
// next save.
struct TSettings
{
    // The values a first start writes to a new file.
    TSettings();

    // Common
    bool RememberLastDir = false;
    bool PortIsLPT1 = false;
    // A port chosen by its base address ("0xD010"); empty when PortIsLPT1 chooses LPT1 or
    // LPT2. A program that knows only TransferPort1 goes on using the LPT port it names.
    QString PortAddress;
    // Sound
    bool BeepWhenFinished = false;
    bool PlayWhenFinished = false;
    QString WaveFile;
    // Directories (the home folder stands where a drive root would on other systems)
    QString DefaultDir;
    QString LastDir;
    QString Wildcard;
    // Columns: "Filename", "Ext", "Image Name", "Mbit"
    std::array<bool, HeaderButtonCount> ColumnVisible {};
    std::array<qint32, HeaderButtonCount> ColumnWidth {};
    // Window: the main window's bounds and left pane
    qint32 WindowTop = 0;
    qint32 WindowLeft = 0;
    qint32 WindowWidth = 0;
    qint32 WindowHeight = 0;
    qint32 LeftPaneWidth = 0;
    bool WindowMaximized = false;

    bool operator==(const TSettings&) const = default;
};
