#include "platform/EFOpenError.h"

#include <gtest/gtest.h>

TEST(Exception, CarriesItsMessageForQtAndForStdException)
{
    const Exception error(QStringLiteral("Über alles"));
    EXPECT_EQ(error.Message(), QStringLiteral("Über alles"));
    EXPECT_STREQ(error.what(), "Über alles");
}

TEST(Exception, FileOpenErrorNamesThePath)
{
    try {
        throw EFOpenError(QStringLiteral("/images/racer.v64"));
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot open file /images/racer.v64"));
    }
}
