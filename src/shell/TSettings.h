#pragma once

#include <QDir>
#include <QString>

#include <array>

// The user's choices kept between runs, one field per key of the settings file, in file
// order. Windows edit the fields live; the file follows at the next save. A new record
// holds the values a first start writes to a new file.
struct TSettings
{
    // Common
    bool RememberLastDir = false;
    bool PortIsLPT1 = true;
    // Sound
    bool BeepWhenFinished = false;
    bool PlayWhenFinished = false;
    QString WaveFile;
    // Directories (the home folder stands where a drive root would on other systems)
    QString DefaultDir = QDir::homePath();
    QString LastDir = QDir::homePath();
    QString Wildcard = QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us");
    // Columns: "Filename", "Ext", "Image Name", "Mbit"
    std::array<bool, 4> ColumnVisible { true, true, true, true };
    std::array<qint32, 4> ColumnWidth { 130, 50, 100, 65 };
    // Window: the main window's designed bounds and left pane
    qint32 WindowTop = 123;
    qint32 WindowLeft = 329;
    qint32 WindowWidth = 644;
    qint32 WindowHeight = 477;
    qint32 LeftPaneWidth = 180;

    bool operator==(const TSettings&) const = default;
};
