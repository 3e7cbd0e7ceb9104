#pragma once

#include "platform/FileListing.h"

#include <QString>

#include <array>

// One item of the file-type filter: the caption the filter shows and the ";"-separated mask
// it lists with.
struct TFileFilter
{
    QString Caption;
    QString Mask;
};

// The filter's items, in the order the filter shows them. The settings file stores only the
// mask, so an item is found again by its mask; new items go after the old ones so that a
// stored mask keeps naming the item it named.
inline const std::array<TFileFilter, 9> FileFilters = { {
    { QStringLiteral("All Doctor Files"), DefaultFileMask },
    { QStringLiteral("V64 Doctor Files (*.v64)"), QStringLiteral("*.v64") },
    { QStringLiteral("JAP Doctor Files (*.jap)"), QStringLiteral("*.jap") },
    { QStringLiteral("PAL Doctor Files (*.pal)"), QStringLiteral("*.pal") },
    { QStringLiteral("USA Doctor Files (*.usa, *.us)"), QStringLiteral("*.usa;*.us") },
    { QStringLiteral("Bios Doctor Files (v64_ver*.*)"), QStringLiteral("v64_ver*.*") },
    { QStringLiteral("All Files (*.*)"), QStringLiteral("*.*") },
    // Images in every byte order: the device's own and the big- and little-endian ones, and
    // the archives that hold them.
    { QStringLiteral("All Images (*.v64, *.z64, *.n64, ...)"),
        QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us;*.z64;*.n64;*.zip;*.7z;*.gz") },
    { QStringLiteral("Archives (*.zip, *.7z, *.gz)"), QStringLiteral("*.zip;*.7z;*.gz") },
} };

// The first item whose mask is exactly this text (letter case counts), or -1: a mask typed
// into the settings file by hand lists as it is but names no item.
int FileFilterIndex(const QString& mask);

// A mask stored by an earlier version for an item whose mask has grown since, as that item's
// mask today; any other mask as it is. "All Images" lists archives now, so a settings file
// that chose it goes on naming it.
QString CurrentFileMask(const QString& storedMask);
