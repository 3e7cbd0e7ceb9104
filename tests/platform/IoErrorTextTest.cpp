#include "platform/IoErrorText.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(IoErrorText, IsTheCodeAColonAndTheSystemMessage)
{
    EXPECT_EQ(IoErrorText(ENOENT), QStringLiteral("2: No such file or directory"));
    EXPECT_EQ(IoErrorText(EACCES), QStringLiteral("13: Permission denied"));
    EXPECT_EQ(IoErrorText(EISDIR), QStringLiteral("21: Is a directory"));
}

TEST(IoErrorText, MessagesNeverEndInBlanksFullStopsOrControls)
{
    for (int code = 0; code < 140; ++code) {
        const QString message = SystemErrorMessage(code);
        ASSERT_FALSE(message.isEmpty()) << code;
        const QChar last = message.back();
        EXPECT_FALSE(
            last.isSpace() || last == QLatin1Char('.') || last.category() == QChar::Other_Control)
            << code << ": " << message.toStdString();
    }
}
