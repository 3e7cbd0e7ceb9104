#pragma once

#include "image/TByteOrder.h"

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <optional>

// The first bytes of an image file as the file holds them, read at the cartridge's own
// offsets whatever the file's order, so that the same game gives the same fields in every
// order. A file may end anywhere: fields beyond its end are absent.
struct TCartridgeHeader
{
    static constexpr qsizetype Length = 0x40;
    static constexpr qint64 Checksum1Offset = 0x10;
    static constexpr qint64 Checksum2Offset = 0x14;
    static constexpr qint64 NameOffset = 0x20;
    static constexpr qsizetype NameLength = 20;
    static constexpr qint64 CountryOffset = 0x3E;

    std::array<char, Length> Bytes {};
    // How many of Bytes the file holds.
    qsizetype Present = 0;

    std::optional<TByteOrder> Order() const { return DetectByteOrder(Bytes.data(), Present); }
    bool IsImage() const { return Order().has_value(); }
    // The byte the cartridge holds at this offset; nothing beyond the end of the file or
    // for a file that is not an image.
    std::optional<quint8> At(qint64 cartridgeOffset) const;
    // The 20 name characters; bytes beyond the end of the file are blanks.
    QByteArray Name() const;
    std::optional<quint8> Country() const { return At(CountryOffset); }
    // The two checksums as the header stores them (big-endian in the cartridge).
    std::optional<quint32> StoredChecksum1() const { return WordAt(Checksum1Offset); }
    std::optional<quint32> StoredChecksum2() const { return WordAt(Checksum2Offset); }

private:
    std::optional<quint32> WordAt(qint64 cartridgeOffset) const;
};
