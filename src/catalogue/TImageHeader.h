#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The bytes at the start of a file that tell an image from any other file: the magic, the
// image name and the country code. Images store every 16-bit word with its two bytes swapped.
struct TImageHeader
{
    static constexpr qsizetype MagicLength = 4;
    static constexpr qsizetype NameOffset = 0x20;
    static constexpr qsizetype NameLength = 20;
    static constexpr qsizetype CountryOffset = 0x3F;
    static constexpr qsizetype Length = CountryOffset + 1;

    qint64 Size = 0;
    std::array<char, Length> Bytes {};
    // How many of Bytes the file holds; a file may end anywhere.
    qsizetype Present = 0;

    bool IsImage() const;
    // The 20 name bytes in the cartridge's own order; bytes beyond the end of the file are
    // blanks.
    QByteArray Name() const;
    // The country code, or nothing when the file ends before it.
    std::optional<quint8> Country() const;
};

// Reads the size and the header bytes of a file, only those present. Raises EInOutError.
TImageHeader ReadImageHeader(const QString& path);

// "GER", "USA", "JAP", "PAL" or empty (country code 0) for the known country codes; nothing
// for any other code.
std::optional<QString> CountrySystemText(quint8 country);
