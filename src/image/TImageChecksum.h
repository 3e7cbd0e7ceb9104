#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <span>

// The boot code families. The boot code decides the seed of the header checksums and, for
// 6103, 6105 and 6106, a variant of the algorithm. 7101, 7103, 7105 and 7106 share the boot
// code of their 61xx twins; 7102 has one of its own and the seed of 6101.
enum TBootCode : std::uint8_t
{
    bcUnknown = 0,
    bc6101,
    bc6102,
    bc7102,
    bc6103,
    bc6105,
    bc6106,
};

enum TChecksumVerdict : std::uint8_t
{
    cvMatch = 0,
    cvMismatch,
    cvUnknownBootCode, // cannot be checked
    cvTooShort, // cannot be checked
};

// A boot code as it is recognised: by the CRC-32 of its bytes.
struct TBootCodeEntry
{
    std::uint32_t Crc;
    TBootCode BootCode;
};

struct TChecksumPair
{
    std::uint32_t First = 0; // stored at 0x10
    std::uint32_t Second = 0; // stored at 0x14

    bool operator==(const TChecksumPair&) const = default;
};

// What a check of an image finds. Offsets are the cartridge's.
struct TImageCheck
{
    // Nothing when the file ends before 0x18.
    std::optional<TChecksumPair> Stored;
    // Nothing when the file is too short or its boot code unknown.
    std::optional<TChecksumPair> Computed;
    TBootCode BootCode = bcUnknown;
    TChecksumVerdict Verdict = cvTooShort;
};

constexpr qint64 BootCodeOffset = 0x40;
constexpr qint64 BootCodeEnd = 0x1000;
// The checksums cover the 1 MiB after the boot code.
constexpr qint64 ChecksumStart = 0x1000;
constexpr qint64 ChecksumLength = 0x100000;
constexpr qint64 CheckedLength = ChecksumStart + ChecksumLength;

// The boot codes of the retail cartridges.
std::span<const TBootCodeEntry> KnownBootCodes();

// CRC-32 (the common one: reflected 0x04C11DB7, as zlib and PNG use) of the boot code
// 0x40..0xFFF of an image in the cartridge's order of at least BootCodeEnd bytes.
std::uint32_t BootCodeCrc(std::span<const std::uint8_t> image);

// The family of an image's boot code, looked up in table; bcUnknown when it is not there or
// the image ends before the boot code does.
TBootCode RecognizeBootCode(
    std::span<const std::uint8_t> image, std::span<const TBootCodeEntry> table = KnownBootCodes());

// "6101", "6102", "7102", "6103", "6105", "6106"; empty for bcUnknown.
QString BootCodeText(TBootCode bootCode);

// The value every sum of the checksum starts from.
std::uint32_t ChecksumSeed(TBootCode bootCode);

// The two header checksums of an image in the cartridge's order, at least CheckedLength
// bytes long, with a known boot code.
TChecksumPair ComputeChecksums(std::span<const std::uint8_t> image, TBootCode bootCode);

// Checks the stored checksums against the computed ones. image is the start of the file in
// the cartridge's order, as much of it as there is; bytes after CheckedLength are not used.
TImageCheck CheckImage(
    std::span<const std::uint8_t> image, std::span<const TBootCodeEntry> table = KnownBootCodes());

// Reads what the check needs from an image file in any order and checks it; nothing for a
// file that is not an image. Raises EInOutError.
std::optional<TImageCheck> CheckImageFile(
    const QString& path, std::span<const TBootCodeEntry> table = KnownBootCodes());

// The same for an image source (a file, or an image inside an archive: see TImageSource),
// of which only the bytes the check needs are inflated. Raises Exception (EFOpenError,
// EReadError) for a source that cannot be opened or read.
std::optional<TImageCheck> CheckImageSource(
    const QString& name, std::span<const TBootCodeEntry> table = KnownBootCodes());

// The same for the first bytes of an image in any order, present of them read (at most
// CheckedLength), converted in place to the cartridge's order; nothing for bytes that do not
// begin an image.
std::optional<TImageCheck> CheckImageStart(
    std::uint8_t* bytes, qint64 present, std::span<const TBootCodeEntry> table = KnownBootCodes());

// "checksums match", "checksums do not match", "cannot be checked (unknown boot code)",
// "cannot be checked (file too short)".
QString ChecksumVerdictText(TChecksumVerdict verdict);
