#pragma once

#include <QString>
#include <QtGlobal>

#include <span>
#include <vector>

class TArchiveCache;

// The "Image Name" text of a file that does not begin with the image magic.
inline const QString NotAnImageText = QStringLiteral("--> WARNING: NOT AN IMAGE");
// The "Mbit" text of a file that could not be read.
inline const QString UnreadableSizeText = QStringLiteral("-- MBIT");
// The "Image Name" texts of an archive that cannot be listed.
inline const QString DamagedArchiveText = QStringLiteral("damaged archive");
inline const QString EncryptedArchiveText = QStringLiteral("encrypted archive");

// The listed directory as the prefix of its files' paths: with a "/" at the end unless it
// already has one. An empty directory stays empty, so names are taken as they are.
QString SelectedDirectory(const QString& directory);

// A file size in whole megabits, at least three digits with leading zeros, and " MBit".
QString SizeText(qint64 size);

// The extension of a file name: from its last "." onward, empty without one.
QString FileExtension(const QString& name);

// Fills a catalogue row (at least CatalogueColumnCount texts) for a listed file name: its
// extension, base name, upper-cased name, real name, size text and image name, in that order.
// A file that cannot be read gets its error text and UnreadableSizeText instead of the last
// two; no file error leaves this function.
void ClassifyImageFile(
    const QString& selectedDirectory, const QString& name, std::span<QString> row);

// Appends the rows of a listed file name: the one row ClassifyImageFile gives a plain file;
// for an archive, one row for its only image (the archive's names, the image's name and
// size), one for each of its several images (the image's names), or one row that says it
// holds no image or is damaged or encrypted. Members that are not images are not listed.
// What an archive holds comes from the cache when one is given and knows the archive.
void AppendCatalogueRows(const QString& selectedDirectory, const QString& name,
    std::vector<std::vector<QString>>& rows, TArchiveCache* cache = nullptr);

// The image source a row stands for: the file's path, or for an image inside an archive
// the archive's path, "/", and the image's path inside it. Empty for a row without a file.
QString CatalogueRowSource(const QString& selectedDirectory, std::span<const QString> row);
