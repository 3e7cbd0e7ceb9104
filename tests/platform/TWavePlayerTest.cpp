#include "platform/TWavePlayer.h"
#include "TTestFolder.h"
#include "TTestWave.h"
#include "platform/EMCIDeviceError.h"

#include <gtest/gtest.h>

namespace {

class TWavePlayerTest : public ::testing::Test
{
protected:
    TTestFolder Folder;
    TEnvironment Driver { "SDL_AUDIODRIVER", "disk" };
    TEnvironment Output { "SDL_DISKAUDIOFILE", Folder.Path("first.raw").toLocal8Bit() };
};

} // namespace

TEST_F(TWavePlayerTest, PlaysTheFileSamplesUnchanged)
{
    const QList<qint16> samples = Pattern(3000, 0);
    const QString wave = Folder.Write("chime.wav", WaveFile(samples));
    TWavePlayer player;
    player.Play(wave);
    EXPECT_TRUE(player.IsOpen());
    EXPECT_EQ(player.FileName(), wave);

    const QByteArray played = WaitForPlayed(Folder.Path("first.raw"), Pcm(samples).size());
    ASSERT_GE(played.size(), Pcm(samples).size());
    EXPECT_TRUE(played.left(Pcm(samples).size()) == Pcm(samples));
    // After the sound only silence follows.
    EXPECT_EQ(played.mid(Pcm(samples).size()).count('\0'), played.size() - Pcm(samples).size());
}

TEST_F(TWavePlayerTest, ASecondPlayStopsTheFirstSound)
{
    const QList<qint16> longSound = Pattern(WaveSampleRate * 3, 0);
    const QList<qint16> shortSound = Pattern(2000, 5);
    const QString first = Folder.Write("long.wav", WaveFile(longSound));
    const QString second = Folder.Write("short.wav", WaveFile(shortSound));
    TWavePlayer player;
    player.Play(first);
    ASSERT_GT(WaitForPlayed(Folder.Path("first.raw"), 1).size(), 0);

    TEnvironment secondOutput("SDL_DISKAUDIOFILE", Folder.Path("second.raw").toLocal8Bit());
    player.Play(second);
    EXPECT_EQ(player.FileName(), second);
    const QByteArray cut = Played(Folder.Path("first.raw"));

    // Wait on until the second output has gone some way past its sound.
    const QByteArray played
        = WaitForPlayed(Folder.Path("second.raw"), Pcm(shortSound).size() + 32768);
    EXPECT_TRUE(played.left(Pcm(shortSound).size()) == Pcm(shortSound));

    // The first sound was cut off where the second began and never went on.
    EXPECT_LT(cut.size(), Pcm(longSound).size());
    EXPECT_TRUE(cut == Pcm(longSound).left(cut.size()));
    EXPECT_EQ(Played(Folder.Path("first.raw")).size(), cut.size());
}

TEST_F(TWavePlayerTest, FilesThatCannotBePlayedRaiseTheLibrarysTextNamingTheFile)
{
    const QString missing = Folder.Path("gone.wav");
    const QString tiny = Folder.Write("tiny.wav", "RIFF");
    const QString text = Folder.Write("notes.wav", "These are no samples, only words.");
    const QString folder = Folder.Path();
    TWavePlayer player;
    for (const QString& file : { missing, tiny, text, folder }) {
        try {
            player.Play(file);
            ADD_FAILURE() << file.toStdString() << " played";
        } catch (const EMCIDeviceError& error) {
            EXPECT_TRUE(error.Message().contains(file)) << error.what();
            if (file == text) {
                EXPECT_TRUE(error.Message().contains(QLatin1String("WAVE"))) << error.what();
            }
        }
        EXPECT_FALSE(player.IsOpen());
    }
}

TEST_F(TWavePlayerTest, AFailedPlayStopsTheSoundBefore)
{
    const QString wave = Folder.Write("long.wav", WaveFile(Pattern(WaveSampleRate * 3, 0)));
    TWavePlayer player;
    player.Play(wave);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_THROW(player.Play(Folder.Path("gone.wav")), EMCIDeviceError);
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(player.FileName(), Folder.Path("gone.wav"));
}

TEST_F(TWavePlayerTest, NoAudioOutputIsReportedWhenPlayingNotBefore)
{
    TEnvironment noOutput("SDL_AUDIODRIVER", "no-such-output");
    const QString wave = Folder.Write("chime.wav", WaveFile(Pattern(100, 0)));
    TWavePlayer player;
    try {
        player.Play(wave);
        FAIL() << "played without audio output";
    } catch (const EMCIDeviceError& error) {
        EXPECT_FALSE(error.Message().isEmpty());
    }
    EXPECT_FALSE(player.IsOpen());
}
