#pragma once

#include <QString>
#include <QStringList>

// What a folder is listed with until the user chooses otherwise: every kind of image file.
inline const QString DefaultFileMask = QStringLiteral("*.v64;*.jap;*.pal;*.usa;*.us");

// Whether a file name matches one wildcard pattern: "*" stands for any run of characters, "?"
// for exactly one, letters match without regard to case, and a pattern ending in ".*" also
// matches a name that has no extension at all (so "*.*" matches every name).
bool MatchesFilePattern(const QString& name, const QString& pattern);

// Whether a file name matches any pattern of a ";"-separated mask. An empty mask matches
// every name, like "*.*".
bool MatchesFileMask(const QString& name, const QString& mask);

// The names (without directory) of the plain files in a directory that match the mask, each
// once, in alphabetical order without regard to case. Plain files are regular files and
// symbolic links to them; directories, FIFOs, sockets, devices and hidden files (names
// starting with ".") are never listed. A directory that cannot be read raises EInOutError.
QStringList ListFiles(const QString& directory, const QString& mask);
