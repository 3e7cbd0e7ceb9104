#include "TImageChecksum.h"

#include "image/TImageSource.h"

#include "image/TByteOrder.h"
#include "platform/TReadOnlyFile.h"

#include <QtEndian>

#include <zlib.h>

#include <bit>
#include <memory>
#include <stdexcept>

namespace {

// The CRC-32 of the boot code of each retail family, as published for recognising them.
constexpr TBootCodeEntry RetailBootCodes[] = {
    { 0x6170A4A1, bc6101 },
    { 0x90BB6CB5, bc6102 },
    { 0x009E9EA3, bc7102 },
    { 0x0B050EE0, bc6103 },
    { 0x98BC2C86, bc6105 },
    { 0xACC8580A, bc6106 },
};

// 6105 mixes every word with one of the 64 words of its boot code from here on.
constexpr qint64 Table6105 = 0x750;

std::uint32_t WordAt(const std::uint8_t* image, qint64 offset)
{
    return qFromBigEndian<quint32>(image + offset);
}

} // namespace

std::span<const TBootCodeEntry> KnownBootCodes()
{
    return RetailBootCodes;
}

std::uint32_t BootCodeCrc(std::span<const std::uint8_t> image)
{
    if (static_cast<qint64>(image.size()) < BootCodeEnd)
        throw std::invalid_argument("the image ends before its boot code");
    return static_cast<std::uint32_t>(
        ::crc32(0, image.data() + BootCodeOffset, static_cast<uInt>(BootCodeEnd - BootCodeOffset)));
}

TBootCode RecognizeBootCode(
    std::span<const std::uint8_t> image, std::span<const TBootCodeEntry> table)
{
    if (static_cast<qint64>(image.size()) < BootCodeEnd)
        return bcUnknown;
    const std::uint32_t crc = BootCodeCrc(image);
    for (const TBootCodeEntry& entry : table) {
        if (entry.Crc == crc)
            return entry.BootCode;
    }
    return bcUnknown;
}

QString BootCodeText(TBootCode bootCode)
{
    switch (bootCode) {
    case bc6101:
        return QStringLiteral("6101");
    case bc6102:
        return QStringLiteral("6102");
    case bc7102:
        return QStringLiteral("7102");
    case bc6103:
        return QStringLiteral("6103");
    case bc6105:
        return QStringLiteral("6105");
    case bc6106:
        return QStringLiteral("6106");
    case bcUnknown:
        break;
    }
    return QString();
}

std::uint32_t ChecksumSeed(TBootCode bootCode)
{
    // The boot code multiplies the seed its chip hands over by a constant of its own and
    // adds one: 0x3F × 0x5D588B65 + 1 for 6101, 6102 and 7102, 0x78 × 0x6C078965 + 1 for
    // 6103, 0x91 × 0x5D588B65 + 1 for 6105, 0x85 × 0x6C078965 + 1 for 6106.
    switch (bootCode) {
    case bc6103:
        return 0xA3886759;
    case bc6105:
        return 0xDF26F436;
    case bc6106:
        return 0x1FEA617A;
    default:
        return 0xF8CA4DDC;
    }
}

TChecksumPair ComputeChecksums(std::span<const std::uint8_t> image, TBootCode bootCode)
{
    if (static_cast<qint64>(image.size()) < CheckedLength)
        throw std::invalid_argument("the image is shorter than the checksums cover");
    if (bootCode == bcUnknown)
        throw std::invalid_argument("no checksum without a boot code");
    const std::uint8_t* const data = image.data();
    const std::uint32_t seed = ChecksumSeed(bootCode);
    std::uint32_t sum = seed;
    std::uint32_t carries = seed;
    std::uint32_t xored = seed;
    std::uint32_t rotated = seed;
    std::uint32_t mixed = seed;
    std::uint32_t tail = seed;
    const bool is6105 = bootCode == bc6105;
    for (qint64 i = ChecksumStart; i < CheckedLength; i += 4) {
        const std::uint32_t word = WordAt(data, i);
        const std::uint32_t before = sum;
        sum += word;
        if (sum < before)
            ++carries;
        xored ^= word;
        const std::uint32_t rotation = std::rotl(word, static_cast<int>(word & 0x1F));
        rotated += rotation;
        mixed ^= mixed < word ? sum ^ word : rotation;
        tail += (is6105 ? WordAt(data, Table6105 + (i & 0xFF)) : rotated) ^ word;
    }
    switch (bootCode) {
    case bc6103:
        return { (sum ^ carries) + xored, (rotated ^ mixed) + tail };
    case bc6106:
        return { sum * carries + xored, rotated * mixed + tail };
    default:
        return { sum ^ carries ^ xored, rotated ^ mixed ^ tail };
    }
}

TImageCheck CheckImage(std::span<const std::uint8_t> image, std::span<const TBootCodeEntry> table)
{
    TImageCheck check;
    const auto size = static_cast<qint64>(image.size());
    if (size >= 0x18) {
        check.Stored = TChecksumPair { WordAt(image.data(), 0x10), WordAt(image.data(), 0x14) };
    }
    check.BootCode = RecognizeBootCode(image, table);
    if (size < CheckedLength) {
        check.Verdict = cvTooShort;
        return check;
    }
    if (check.BootCode == bcUnknown) {
        check.Verdict = cvUnknownBootCode;
        return check;
    }
    check.Computed = ComputeChecksums(image, check.BootCode);
    check.Verdict = *check.Computed == *check.Stored ? cvMatch : cvMismatch;
    return check;
}

std::optional<TImageCheck> CheckImageFile(
    const QString& path, std::span<const TBootCodeEntry> table)
{
    TReadOnlyFile file(path);
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(CheckedLength);
    char* const bytes = reinterpret_cast<char*>(buffer.get());
    const qsizetype present = file.ReadAt(0, bytes, CheckedLength);
    file.Close();
    const std::optional<TByteOrder> order = DetectByteOrder(bytes, present);
    if (!order)
        return std::nullopt;
    ConvertByteOrder(*order, boBigEndian, buffer.get(), present);
    return CheckImage(
        std::span<const std::uint8_t>(buffer.get(), static_cast<std::size_t>(present)), table);
}

std::optional<TImageCheck> CheckImageSource(
    const QString& name, std::span<const TBootCodeEntry> table)
{
    const std::unique_ptr<TImageSource> source = TImageSource::OpenName(name);
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(CheckedLength);
    char* const bytes = reinterpret_cast<char*>(buffer.get());
    return CheckImageStart(buffer.get(), source->Read(bytes, CheckedLength), table);
}

std::optional<TImageCheck> CheckImageStart(
    std::uint8_t* bytes, qint64 present, std::span<const TBootCodeEntry> table)
{
    const std::optional<TByteOrder> order
        = DetectByteOrder(reinterpret_cast<const char*>(bytes), present);
    if (!order)
        return std::nullopt;
    ConvertByteOrder(*order, boBigEndian, bytes, present);
    return CheckImage(
        std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(present)), table);
}

QString ChecksumVerdictText(TChecksumVerdict verdict)
{
    switch (verdict) {
    case cvMatch:
        return QStringLiteral("checksums match");
    case cvMismatch:
        return QStringLiteral("checksums do not match");
    case cvUnknownBootCode:
        return QStringLiteral("cannot be checked (unknown boot code)");
    case cvTooShort:
        return QStringLiteral("cannot be checked (file too short)");
    }
    return QString();
}
