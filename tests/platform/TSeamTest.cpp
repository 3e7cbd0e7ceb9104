#include "platform/TBeeper.h"
#include "platform/TShellOpen.h"

#include <QStringList>

#include <gtest/gtest.h>

TEST(TBeeper, SoundsTheHandedInBeepOncePerCall)
{
    int beeps = 0;
    TBeeper beeper([&beeps] { ++beeps; });
    beeper.Beep();
    beeper.Beep();
    EXPECT_EQ(beeps, 2);

    int others = 0;
    beeper.SetAction([&others] { ++others; });
    beeper.Beep();
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(others, 1);

    // Without a windowing layer a beep is silent rather than a failure.
    EXPECT_NO_THROW(TBeeper().Beep());
}

TEST(TShellOpen, HandsTheLinkOnUnchanged)
{
    QStringList opened;
    TShellOpen shell([&opened](const QString& link) { opened.append(link); });
    shell.Open(QStringLiteral("mailto:someone@example.org"));
    shell.Open(QStringLiteral("http://example.org/conveyor"));
    EXPECT_EQ(opened,
        QStringList({ QStringLiteral("mailto:someone@example.org"),
            QStringLiteral("http://example.org/conveyor") }));
    EXPECT_NO_THROW(TShellOpen().Open(QStringLiteral("http://example.org")));
}
