#pragma once

#include "image/TImageChecksum.h"

#include <QString>

#include <optional>
#include <span>

// What the current-status group shows for the table's current row.
struct TCurrentImage
{
    QString FileName; // "Filename:"
    QString NewName; // the new-name edit of the rename panel
    QString ImageName; // "Image Name:", or the error text of an unreadable file
    QString System; // "System:"
    QString CurrentSystem; // the television system of this image, empty when it has none
    QString RealName; // the file's name on disk, for every operation on the file
    // The image source the row stands for: the file's path, or an archive's path, "/", and
    // the image's path inside it; what a delivery opens and the checksums are read from.
    QString Source;
    // The extension a rename gives the file without its system: that of its byte order.
    QString PlainExtension;
    // An archive that is one row is renamed as the file it is: its own extension (".zip",
    // the ".gz" of racer.z64.gz) stays, whatever the image inside it is.
    bool KeepsExtension = false;
    QString OwnExtension;
    // One of several images of an archive is no file of its own: it has no name to change.
    bool InsideArchive = false;
    // The header checksums, for the status line; nothing for a file that is no image or
    // cannot be read that far.
    std::optional<TImageCheck> Check;
};

// Examines the file of a catalogue row once more for its television system and its header
// checksums, which read a megabyte: for the current row, not for every row of a listing.
// An image inside an archive is inflated once for both. Nothing for a row without a file. A file
// that is not an image, has an unknown country code or cannot be read has no system: a system kept
// from an earlier image would name the wrong one.
std::optional<TCurrentImage> ExamineCurrentImage(
    const QString& selectedDirectory, std::span<const QString> row);
