#pragma once

#include "TestBytes.h"
#include "image/TByteOrder.h"
#include "image/TImageChecksum.h"

#include <QByteArray>
#include <QtEndian>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

// Images whose header checksums the program can check, for tests of what it says about
// them. The retail boot codes cannot be part of the project, so the boot code here is
// random bytes whose last four are chosen to give the CRC-32 by which the program
// recognises a family: the CRC is affine in those 32 bits, so they follow from 32 equations.

namespace CheckedImagesDetail {

inline std::span<const std::uint8_t> Span(const QByteArray& bytes)
{
    return { reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()) };
}

inline void PutWord(QByteArray& bytes, qsizetype offset, std::uint32_t value)
{
    qToBigEndian<quint32>(value, bytes.data() + offset);
}

// Chooses the last word of the boot code so that its CRC is crc.
inline void ForgeBootCodeCrc(QByteArray& image, std::uint32_t crc)
{
    constexpr qsizetype Free = BootCodeEnd - 4;
    PutWord(image, Free, 0);
    const std::uint32_t base = BootCodeCrc(Span(image));
    // Column k: what bit k of the free word changes in the CRC.
    std::array<std::uint32_t, 32> columns {};
    for (int k = 0; k < 32; ++k) {
        PutWord(image, Free, std::uint32_t(1) << k);
        columns[std::size_t(k)] = BootCodeCrc(Span(image)) ^ base;
    }
    // Gauss-Jordan over GF(2): each row is a column with the free bits it stands for.
    std::array<std::uint64_t, 32> rows {};
    for (int k = 0; k < 32; ++k)
        rows[std::size_t(k)] = columns[std::size_t(k)] | std::uint64_t(1) << (32 + k);
    std::uint32_t value = 0;
    std::uint32_t wanted = crc ^ base;
    for (int bit = 0, next = 0; bit < 32; ++bit) {
        int pivot = next;
        while (pivot < 32 && !(rows[std::size_t(pivot)] >> bit & 1))
            ++pivot;
        if (pivot == 32)
            throw std::logic_error("the free word does not reach every CRC bit");
        std::swap(rows[std::size_t(pivot)], rows[std::size_t(next)]);
        for (int r = 0; r < 32; ++r) {
            if (r != next && rows[std::size_t(r)] >> bit & 1)
                rows[std::size_t(r)] ^= rows[std::size_t(next)];
        }
        ++next;
    }
    // Now row i holds CRC bit i alone, with the free bits that make it.
    for (int i = 0; i < 32; ++i) {
        if (wanted >> i & 1)
            value ^= static_cast<std::uint32_t>(rows[std::size_t(i)] >> 32);
    }
    PutWord(image, Free, value);
    if (BootCodeCrc(Span(image)) != crc)
        throw std::logic_error("the forged boot code has the wrong CRC");
}

} // namespace CheckedImagesDetail

// A cartridge image in the cartridge's own order (big-endian), size bytes of random
// content, whose boot code the program recognises as bootCode and whose stored checksums
// are the ones computed, or one bit off when matching is false.
inline QByteArray CheckedCartridgeImage(
    TBootCode bootCode, qsizetype size, quint32 seed, bool matching = true)
{
    using namespace CheckedImagesDetail;
    if (size < CheckedLength)
        throw std::invalid_argument("an image with checksums covers at least 0x101000 bytes");
    QByteArray image = RandomBytes(size, seed);
    image.replace(0, 4, QByteArray("\x80\x37\x12\x40", 4));
    for (const TBootCodeEntry& entry : KnownBootCodes()) {
        if (entry.BootCode == bootCode)
            ForgeBootCodeCrc(image, entry.Crc);
    }
    const TChecksumPair sums = ComputeChecksums(Span(image), bootCode);
    PutWord(image, 0x10, sums.First);
    PutWord(image, 0x14, matching ? sums.Second : sums.Second ^ 1);
    return image;
}

// The same bytes as a file of the given order holds them.
inline QByteArray InByteOrder(QByteArray cartridge, TByteOrder order)
{
    ConvertByteOrder(
        boBigEndian, order, reinterpret_cast<std::uint8_t*>(cartridge.data()), cartridge.size());
    return cartridge;
}
