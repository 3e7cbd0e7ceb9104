#pragma once

#include "image/TCartridgeHeader.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// The bytes at the start of a file that tell an image from any other file, in any of the
// three byte orders, with its size: the magic, the image name and the country code.
struct TImageHeader : TCartridgeHeader
{
    qint64 Size = 0;
    // The file's modification time in nanoseconds, from the same look as its size; nothing
    // for an image inside an archive.
    qint64 ModifiedNs = 0;
};

// Reads the size and the header bytes of a file, only those present. Raises EInOutError.
TImageHeader ReadImageHeader(const QString& path);

// The same for an image source: a file, or an image inside an archive ("ARCHIVE/MEMBER", see
// TImageSource), of which only the first bytes are inflated unless the archive states no
// size. Raises Exception (EFOpenError, EReadError).
TImageHeader ReadSourceHeader(const QString& name);

// "GER", "USA", "JAP", "PAL" or empty (country code 0) for the known country codes; nothing
// for any other code.
std::optional<QString> CountrySystemText(quint8 country);

// The extension a rename gives a file when it does not add the system: that of the file's
// byte order (".v64", ".z64", ".n64"), so a file is never labelled with an order it is not
// in; ".v64", as always, for a file that is not an image.
QString PlainNewExtension(const std::optional<TByteOrder>& order);
