#include "image/TImageChecksum.h"
#include "ImageTestFiles.h"
#include "TTestFolder.h"
#include "platform/EInOutError.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

// The common CRC-32, bit by bit.
std::uint32_t ReferenceCrc(const std::uint8_t* bytes, std::size_t count)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (crc & 1 ? 0xEDB88320u : 0u);
    }
    return ~crc;
}

std::uint32_t Word(const TBytes& image, std::size_t offset)
{
    return std::uint32_t(image[offset]) << 24 | std::uint32_t(image[offset + 1]) << 16
        | std::uint32_t(image[offset + 2]) << 8 | image[offset + 3];
}

// The checksum as the public descriptions give it, written out on its own: six running
// values t1..t6 over the words of 0x1000..0x100FFF, with the 6105 boot code reading its
// own words from 0x750 in a ring of 256 bytes.
TChecksumPair ReferenceChecksums(const TBytes& image, std::uint32_t seed, int family)
{
    std::uint32_t t1 = seed, t2 = seed, t3 = seed, t4 = seed, t5 = seed, t6 = seed;
    for (std::size_t i = 0x1000; i < 0x101000; i += 4) {
        const std::uint32_t d = Word(image, i);
        if (t6 + d < t6)
            t4 += 1;
        t6 += d;
        t3 ^= d;
        const std::uint32_t shift = d & 0x1F;
        const std::uint32_t r = shift == 0 ? d : (d << shift) | (d >> (32 - shift));
        t5 += r;
        if (t2 < d)
            t2 ^= t6 ^ d;
        else
            t2 ^= r;
        if (family == 6105)
            t1 += Word(image, 0x750 + (i & 0xFF)) ^ d;
        else
            t1 += t5 ^ d;
    }
    if (family == 6103)
        return { (t6 ^ t4) + t3, (t5 ^ t2) + t1 };
    if (family == 6106)
        return { t6 * t4 + t3, t5 * t2 + t1 };
    return { t6 ^ t4 ^ t3, t5 ^ t2 ^ t1 };
}

void Store(TBytes& image, std::size_t offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        image[offset + static_cast<std::size_t>(i)]
            = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

TBytes Image(qsizetype size, quint32 seed)
{
    const QByteArray bytes = CartridgeImage(size, seed);
    return TBytes(bytes.begin(), bytes.end());
}

// A table that knows the boot code of image as family.
std::vector<TBootCodeEntry> TableFor(const TBytes& image, TBootCode family)
{
    return { { 0x01234567, bc6101 }, { ReferenceCrc(image.data() + 0x40, 0x1000 - 0x40), family } };
}

struct TFamily
{
    TBootCode BootCode;
    int Number;
    std::uint32_t Seed;
};

class TChecksumFamily : public ::testing::TestWithParam<TFamily>
{
};

} // namespace

TEST(TImageChecksum, BootCodeCrcIsTheCommonCrc32)
{
    // The check value of the common CRC-32 first, so the reference is the right one.
    const char* check = "123456789";
    EXPECT_EQ(ReferenceCrc(reinterpret_cast<const std::uint8_t*>(check), 9), 0xCBF43926u);
    const TBytes image = Image(0x1000, 1);
    EXPECT_EQ(BootCodeCrc(image), ReferenceCrc(image.data() + 0x40, 0xFC0));
}

TEST(TImageChecksum, SeedsFollowFromTheChipSeedAndTheBootCodeConstant)
{
    EXPECT_EQ(ChecksumSeed(bc6101), 0x3Fu * 0x5D588B65u + 1);
    EXPECT_EQ(ChecksumSeed(bc6102), 0x3Fu * 0x5D588B65u + 1);
    EXPECT_EQ(ChecksumSeed(bc7102), 0x3Fu * 0x5D588B65u + 1);
    EXPECT_EQ(ChecksumSeed(bc6103), 0x78u * 0x6C078965u + 1);
    EXPECT_EQ(ChecksumSeed(bc6105), 0x91u * 0x5D588B65u + 1);
    EXPECT_EQ(ChecksumSeed(bc6106), 0x85u * 0x6C078965u + 1);
}

TEST(TImageChecksum, AnImageOfZerosGivesTheValuesWorkedOutByHand)
{
    // Every word 0: the sum, its carries and the xor stay at the seed s, so the first is
    // s ^ s ^ s = s; the rotations add nothing and the mixed value meets no larger word, so
    // the second is the last sum alone, s + 0x40000 × s.
    TBytes image(0x101000, 0);
    EXPECT_EQ(ComputeChecksums(image, bc6102), (TChecksumPair { 0xF8CA4DDC, 0x303A4DDC }));
}

TEST_P(TChecksumFamily, MatchesTheReferenceAndRecognisesItsBootCode)
{
    const TFamily family = GetParam();
    TBytes image = Image(0x101000 + 4096, static_cast<quint32>(family.Number));
    const TChecksumPair expected = ReferenceChecksums(image, family.Seed, family.Number);
    Store(image, 0x10, expected.First);
    Store(image, 0x14, expected.Second);
    const std::vector<TBootCodeEntry> table = TableFor(image, family.BootCode);

    EXPECT_EQ(ComputeChecksums(image, family.BootCode), expected);
    const TImageCheck check = CheckImage(image, table);
    EXPECT_EQ(check.BootCode, family.BootCode);
    EXPECT_EQ(check.Verdict, cvMatch);
    EXPECT_EQ(check.Stored, expected);
    EXPECT_EQ(check.Computed, expected);
    EXPECT_EQ(BootCodeText(family.BootCode), QString::number(family.Number));
}

INSTANTIATE_TEST_SUITE_P(Families, TChecksumFamily,
    ::testing::Values(TFamily { bc6101, 6101, 0xF8CA4DDC }, TFamily { bc6102, 6102, 0xF8CA4DDC },
        TFamily { bc7102, 7102, 0xF8CA4DDC }, TFamily { bc6103, 6103, 0xA3886759 },
        TFamily { bc6105, 6105, 0xDF26F436 }, TFamily { bc6106, 6106, 0x1FEA617A }),
    [](const auto& info) { return std::to_string(info.param.Number); });

TEST(TImageChecksum, ACorruptedImageDoesNotMatch)
{
    TBytes image = Image(0x101000, 20);
    const TChecksumPair good = ReferenceChecksums(image, 0xF8CA4DDC, 6102);
    Store(image, 0x10, good.First);
    Store(image, 0x14, good.Second);
    const std::vector<TBootCodeEntry> table = TableFor(image, bc6102);
    ASSERT_EQ(CheckImage(image, table).Verdict, cvMatch);

    // One bit in the last checked word, then one in the stored second checksum.
    TBytes corrupted = image;
    corrupted[0x100FFF] ^= 0x01;
    TImageCheck check = CheckImage(corrupted, table);
    EXPECT_EQ(check.Verdict, cvMismatch);
    EXPECT_EQ(check.Stored, good);
    EXPECT_NE(check.Computed, good);
    corrupted = image;
    corrupted[0x17] ^= 0x80;
    EXPECT_EQ(CheckImage(corrupted, table).Verdict, cvMismatch);
    // A byte after the checked megabyte changes nothing.
    TBytes longer = image;
    longer.push_back(0xFF);
    EXPECT_EQ(CheckImage(longer, table).Verdict, cvMatch);
}

TEST(TImageChecksum, AnUnknownBootCodeCannotBeChecked)
{
    const TBytes image = Image(0x101000, 21);
    // Random bytes are none of the retail boot codes.
    const TImageCheck check = CheckImage(image);
    EXPECT_EQ(check.BootCode, bcUnknown);
    EXPECT_EQ(check.Verdict, cvUnknownBootCode);
    EXPECT_EQ(check.Stored, (TChecksumPair { Word(image, 0x10), Word(image, 0x14) }));
    EXPECT_EQ(check.Computed, std::nullopt);
    EXPECT_EQ(BootCodeText(bcUnknown), QString());
}

TEST(TImageChecksum, AShortFileCannotBeChecked)
{
    const TBytes full = Image(0x101000, 22);
    const std::vector<TBootCodeEntry> table = TableFor(full, bc6105);
    const TBytes almost(full.begin(), full.end() - 1);
    TImageCheck check = CheckImage(almost, table);
    EXPECT_EQ(check.Verdict, cvTooShort);
    // The boot code is whole, so its family is still told.
    EXPECT_EQ(check.BootCode, bc6105);
    EXPECT_TRUE(check.Stored.has_value());
    EXPECT_EQ(check.Computed, std::nullopt);

    const TBytes header(full.begin(), full.begin() + 0x17);
    check = CheckImage(header, table);
    EXPECT_EQ(check.Verdict, cvTooShort);
    EXPECT_EQ(check.BootCode, bcUnknown);
    EXPECT_EQ(check.Stored, std::nullopt);
}

TEST(TImageChecksum, FilesInEveryOrderGiveTheSameCheck)
{
    TTestFolder folder;
    TBytes image = Image(0x101000 + 10, 23);
    const TChecksumPair sums = ReferenceChecksums(image, 0xDF26F436, 6105);
    Store(image, 0x10, sums.First);
    Store(image, 0x14, sums.Second);
    const std::vector<TBootCodeEntry> table = TableFor(image, bc6105);
    const QByteArray cartridge(
        reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    for (const TByteOrder order : { boDevice, boBigEndian, boLittleEndian }) {
        const QString path = folder.Write(
            QStringLiteral("image") + ByteOrderExtension(order), InOrder(cartridge, order));
        const std::optional<TImageCheck> check = CheckImageFile(path, table);
        ASSERT_TRUE(check.has_value()) << int(order);
        EXPECT_EQ(check->Verdict, cvMatch) << int(order);
        EXPECT_EQ(check->BootCode, bc6105) << int(order);
        EXPECT_EQ(check->Computed, sums) << int(order);
    }
    EXPECT_EQ(
        CheckImageFile(folder.Write(QStringLiteral("notes.txt"), "not an image")), std::nullopt);
    EXPECT_EQ(CheckImageFile(folder.Write(QStringLiteral("tiny.z64"), "\x80\x37\x12\x40"))->Verdict,
        cvTooShort);
    EXPECT_THROW(CheckImageFile(folder.Path(QStringLiteral("missing.z64"))), EInOutError);
}
