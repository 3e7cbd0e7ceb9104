#pragma once

#include "image/TCartridgeHeader.h"

#include <QString>
#include <QtGlobal>

#include <vector>

// One file of an archive as a listing sees it: no more of it is inflated than its first
// bytes.
struct TArchiveMember
{
    // Its path inside the archive; empty for a compressed single file, which names none.
    QString Path;
    // What it inflates to, as the archive states it (a gzip file states it in its trailer).
    qint64 Size = 0;
    // Its first bytes, as many as it has.
    TCartridgeHeader Header;
};

enum TArchiveState
{
    asPlainFile, // no archive at all: read the file as it is
    asArchive, // listed; Members holds every file of it (none for an empty archive)
    asDamaged, // cannot be listed: truncated, corrupt, or a format nobody reads
    asEncrypted, // a member or the archive's headers need a password
};

// What an archive holds, for the catalogue.
struct TArchiveContents
{
    TArchiveState State = asPlainFile;
    std::vector<TArchiveMember> Members;
    // Why a damaged archive could not be listed, in the reader's words; may be empty.
    QString Reason;
};

// Whether a name ends as an archive's or a compressed file's: .zip, .7z, .gz, .xz, .bz2,
// .zst, in any letter case.
bool HasArchiveExtension(const QString& name);

// Whether a file that is not an image may be an archive, by its first bytes (the magic of
// zip, 7z, gzip, xz, bzip2 and zstd) or by its name's extension: only such files are worth
// handing to the archive reader, so a listing of plain files never pays for one.
bool MayBeArchive(const char* bytes, qsizetype present, const QString& name);
