#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The three operations of a version-information service, on the program file's standard
// version block (the Windows VS_VERSIONINFO layout). On Linux the block lives in an ELF
// section of its own in the executable; a Windows build would answer them with the
// system's version API instead.

// Size in bytes of the file's version block; 0 when the file has none or cannot be read.
quint32 VersionBlockSize(const QString& fileName);

// Copies the file's version block into the buffer, which holds VersionBlockSize bytes.
bool ReadVersionBlock(const QString& fileName, QByteArray& buffer);

// Finds a value by its path in the block, such as "\VarFileInfo\Translation" or
// "\StringFileInfo\040904E4\FileVersion" ("\" is the fixed part); names match without
// regard to case. The block is untrusted: any length that runs past its node, an odd
// node length or a missing terminator gives false, never a read outside the block.
// A text value is UTF-16, little-endian, and is only found when it holds its terminator.
bool QueryVersionValue(QByteArrayView block, const QString& path, QByteArrayView& value);
