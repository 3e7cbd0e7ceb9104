#pragma once

#include <QByteArray>
#include <QString>

// Whether this process may open the path for writing (or create entries in it, for a
// folder). Judged with the effective user and groups, the ones an open() is checked
// against, so a program running with changed privileges gets the true answer.
bool IsWritable(const QString& path);

// Whether the path, raw text (see RawText.h), names a folder or a link to one.
bool IsFolder(const QString& path);

// The folder that holds an absolute, clean path; the root holds itself. Worked on the text
// alone, so that a raw name keeps its bytes.
QString ParentFolder(const QString& path);

// The path, raw text, made absolute against the process's working folder and cleaned of
// ".", ".." and doubled separators by its text alone, so that a raw name keeps its bytes.
QString AbsolutePath(const QString& path);

// Replaces the file's contents with the bytes, or creates it. The bytes go to a new file
// beside it, which is flushed to the disk and renamed over the old one, so a crash or a
// full disk leaves either the old contents or the new, never a truncated file. Where the
// folder allows no new file but the file itself is writable, it is overwritten in place.
// A symbolic link is followed, and a replaced file keeps its permissions. False when any
// step fails; the old file is then as it was, except after a failed in-place write.
bool ReplaceFile(const QString& fileName, const QByteArray& bytes);

// Creates the folder and any missing folders above it, like mkdir -p, by the path's own
// bytes (raw text, see RawText.h), so that a name in Latin-1 is created as it was given.
// True when the folder exists afterwards; errno tells why not.
bool MakeFolders(const QString& path);
