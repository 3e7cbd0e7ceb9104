#pragma once

#include <cstddef>
#include <stdexcept>

// The columns of a catalogue row. The table shows the first six; ccRealName keeps the file's
// name as it is on disk. The table shows names upper-cased, but the file system matches case,
// so every file operation on a row's file goes through ccRealName, which moves with its row.
enum TCatalogueColumn
{
    ccBaseName,
    ccExtension,
    ccImageName,
    ccSize,
    ccBlank,
    ccFileName,
    ccRealName
};

constexpr int CatalogueColumnCount = ccRealName + 1;

// A caller's mistake, not the user's: a row handed in with fewer texts than the columns.
inline void RequireWholeCatalogueRow(std::size_t texts)
{
    if (texts < std::size_t(CatalogueColumnCount))
        throw std::invalid_argument("a catalogue row has fewer than seven texts");
}
