#include "platform/UpperCase.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

TEST(UpperCaseWindows1252, RaisesAsciiAndAccentedLettersAndKeepsTheRest)
{
    EXPECT_EQ(UpperCaseWindows1252("Super Mario 64 [!]"), QStringLiteral("SUPER MARIO 64 [!]"));
    // é à ö ñ þ ð -> É À Ö Ñ Þ Ð
    EXPECT_EQ(UpperCaseWindows1252(Bytes({ 0xE9, 0xE0, 0xF6, 0xF1, 0xFE, 0xF0 })),
        QString::fromUtf8("ÉÀÖÑÞÐ"));
    // š œ ž ÿ are raised to capitals that live in 0x80-0x9F.
    EXPECT_EQ(UpperCaseWindows1252(Bytes({ 0x9A, 0x9C, 0x9E, 0xFF })), QString::fromUtf8("ŠŒŽŸ"));
    // ß and µ have no capital in the code page, ÷ is no letter, ƒ's capital is not in it.
    EXPECT_EQ(UpperCaseWindows1252(Bytes({ 0xDF, 0xB5, 0xF7, 0x83 })), QString::fromUtf8("ßµ÷ƒ"));
}

TEST(UpperCaseWindows1252, KeepsOneCharacterPerByteForEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = UpperCaseWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0), QChar(0));
    EXPECT_EQ(text.at(0x80), QChar(0x20AC)); // the euro sign, not a C1 control
    EXPECT_EQ(text.at(0x81), QChar(0x81)); // undefined in the code page
    EXPECT_EQ(text.at(0x61), QLatin1Char('A'));
}

TEST(UpperCaseWindows1252, DecodesWithoutRaising)
{
    EXPECT_EQ(DecodeWindows1252(Bytes({ 'a', 0x80, 0xE9 })), QString::fromUtf8("a€é"));
}

TEST(UpperCaseFileName, RaisesUnicodeText)
{
    EXPECT_EQ(UpperCaseFileName(QString::fromUtf8("café.v64")), QString::fromUtf8("CAFÉ.V64"));
    EXPECT_EQ(UpperCaseFileName(QString::fromUtf8("мир.jap")), QString::fromUtf8("МИР.JAP"));
}
