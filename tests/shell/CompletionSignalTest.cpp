#include "shell/CompletionSignal.h"
#include "TTestFolder.h"
#include "TTestWave.h"
#include "platform/EMCIDeviceError.h"
#include "platform/TBeeper.h"
#include "platform/TWavePlayer.h"
#include "shell/TSettings.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CompletionSignalTest : public ::testing::Test
{
protected:
    CompletionSignalTest()
    {
        Beeper.SetAction([this] {
            // What had happened when the beep was asked for.
            Log.append(QStringLiteral("beep: ") + Status
                + (Progress.isVisible() ? QStringLiteral(", window open") : QString())
                + (Player.FileName().isEmpty() ? QString() : QStringLiteral(", wave asked")));
        });
        Progress.show();
    }

    void Signal()
    {
        CompletionSignal(
            Settings, Beeper, Player, [this](const QString& text) { Status = text; }, Progress);
    }

    TTestFolder Folder;
    TSettings Settings;
    TBeeper Beeper;
    TWavePlayer Player;
    QWidget Progress;
    QString Status = QStringLiteral(" Sending RACER(RACER.V64) ... ");
    QStringList Log;
};

} // namespace

TEST_F(CompletionSignalTest, NeitherSoundWithBothSettingsOff)
{
    Settings.WaveFile = Folder.Write("chime.wav", WaveFile(Pattern(100, 0)));
    Signal();
    EXPECT_EQ(Status, " Done...");
    EXPECT_FALSE(Progress.isVisible());
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_TRUE(Player.FileName().isEmpty());
}

TEST_F(CompletionSignalTest, BeepOnlyAfterTheTextAndTheWindowClosed)
{
    Settings.BeepWhenFinished = true;
    Settings.WaveFile = Folder.Write("chime.wav", WaveFile(Pattern(100, 0)));
    Signal();
    Signal();
    EXPECT_EQ(Log, QStringList({ "beep:  Done...", "beep:  Done..." }));
    EXPECT_TRUE(Player.FileName().isEmpty());
}

TEST_F(CompletionSignalTest, WaveOnlyIsPlayedAndItsFailureComesLast)
{
    // Not a wave: the player is asked for it and says why it cannot play it.
    Settings.PlayWhenFinished = true;
    Settings.WaveFile = Folder.Write("notes.wav", "These are no samples, only words.");
    EXPECT_THROW(Signal(), EMCIDeviceError);
    EXPECT_EQ(Player.FileName(), Settings.WaveFile);
    EXPECT_EQ(Status, " Done...");
    EXPECT_FALSE(Progress.isVisible());
    EXPECT_TRUE(Log.isEmpty());
}

TEST_F(CompletionSignalTest, NoWaveForAPathOfFewerThanTwoCharacters)
{
    Settings.BeepWhenFinished = true;
    Settings.PlayWhenFinished = true;
    for (const QString& path : { QString(), QStringLiteral("a") }) {
        Settings.WaveFile = path;
        Log.clear();
        Signal();
        EXPECT_EQ(Log, QStringList({ "beep:  Done..." }));
        EXPECT_TRUE(Player.FileName().isEmpty());
    }
}

TEST_F(CompletionSignalTest, BothBeepFirstThenTheWavePlaysItsSamples)
{
    const TEnvironment driver("SDL_AUDIODRIVER", "disk");
    const TEnvironment output("SDL_DISKAUDIOFILE", Folder.Path("played.raw").toLocal8Bit());
    const QList<qint16> samples = Pattern(3000, 1);
    Settings.BeepWhenFinished = true;
    Settings.PlayWhenFinished = true;
    Settings.WaveFile = Folder.Write("chime.wav", WaveFile(samples));

    Signal();

    EXPECT_EQ(Log, QStringList({ "beep:  Done..." }));
    EXPECT_EQ(Player.FileName(), Settings.WaveFile);
    const QByteArray played = WaitForPlayed(Folder.Path("played.raw"), Pcm(samples).size());
    ASSERT_GE(played.size(), Pcm(samples).size());
    EXPECT_TRUE(played.left(Pcm(samples).size()) == Pcm(samples));
    Player.Close();
}
