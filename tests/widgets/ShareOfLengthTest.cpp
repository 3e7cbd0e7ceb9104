#include "widgets/ShareOfLength.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ShareOfLength, ExactProductsOfTheSlightlySmallHundredthComeOutOneShort)
{
    EXPECT_EQ(ShareOfLength(20, 5), 0);
    EXPECT_EQ(ShareOfLength(10, 10), 0);
    EXPECT_EQ(ShareOfLength(20, 10), 1);
    EXPECT_EQ(ShareOfLength(30, 10), 2);
    // Not every exact product: the rounding of the first step can land on the exact value.
    EXPECT_EQ(ShareOfLength(1, 100), 1);
}

TEST(ShareOfLength, HalfAndWholeAreExact)
{
    for (int size : { 0, 1, 2, 7, 99, 100, 101, 640, 1001, 65535 }) {
        EXPECT_EQ(ShareOfLength(50, size), size / 2) << size;
        EXPECT_EQ(ShareOfLength(100, size), size) << size;
    }
    EXPECT_EQ(ShareOfLength(0, 1000), 0);
}

TEST(ShareOfLength, TruncatesTowardZeroForNegativeValues)
{
    EXPECT_EQ(ShareOfLength(-50, 11), -5);
    EXPECT_EQ(ShareOfLength(50, -11), -5);
    EXPECT_EQ(ShareOfLength(-20, -10), 1);
}

TEST(ShareOfLength, SaturatesInsteadOfOverflowing)
{
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    constexpr auto smallest = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(ShareOfLength(largest, largest), largest);
    EXPECT_EQ(ShareOfLength(smallest, largest), smallest);
    EXPECT_EQ(ShareOfLength(100, smallest), smallest);
}

// Where the compiler's long double is the 80-bit extended format, it is an independent
// reference for the integer arithmetic.
TEST(ShareOfLength, AgreesWithHardwareExtendedPrecision)
{
    if (std::numeric_limits<long double>::digits != 64)
        GTEST_SKIP() << "long double is not the 80-bit extended format here";
    int shortByOne = 0;
    for (int percent = 0; percent <= 100; ++percent)
        for (int size = 0; size <= 2000; ++size) {
            const long double product
                = (static_cast<long double>(percent) * 0.01L) * static_cast<long double>(size);
            const auto expected = static_cast<std::int64_t>(product);
            ASSERT_EQ(ShareOfLength(percent, size), expected) << percent << "% of " << size;
            if (percent * size % 100 == 0 && expected != percent * size / 100)
                ++shortByOne;
        }
    // The quirk is common, not a rounding accident at a few points.
    EXPECT_GT(shortByOne, 1000);
}
