#pragma once

#include <cstddef>
#include <stdexcept>

// The columns of a catalogue row. The table shows the first four; ccRealName keeps the file's
// name as it is on disk. The table shows names upper-cased, but the file system matches case,
// so every file operation on a row's file goes through ccRealName, which moves with its row.
// A row of an archive's image also keeps the image's path inside the archive (ccMember) and
// says what kind of row it is (ccKind): the archive as one file, or one image of several.
enum TCatalogueColumn
{
    ccBaseName,
    ccExtension,
    ccImageName,
    ccSize,
    ccBlank,
    ccFileName,
    ccRealName,
    ccMember,
    ccKind
};

constexpr int CatalogueColumnCount = ccKind + 1;

// The ccKind texts. A plain file's row has none.
// The row stands for the archive file as a whole: its one image, or what is wrong with it.
inline constexpr char16_t ArchiveRowKind[] = u"archive";
// The row is one of several images of an archive, which it shares with the other rows.
inline constexpr char16_t MemberRowKind[] = u"member";

// A caller's mistake, not the user's: a row handed in with fewer texts than the columns.
inline void RequireWholeCatalogueRow(std::size_t texts)
{
    if (texts < std::size_t(CatalogueColumnCount))
        throw std::invalid_argument("a catalogue row has fewer texts than the columns");
}
