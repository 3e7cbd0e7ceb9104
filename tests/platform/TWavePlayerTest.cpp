#include "TWavePlayer.h"
#include "EMCIDeviceError.h"
#include "TTestFolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr int SampleRate = 44100;

// A mono 16-bit PCM wave of the given samples.
QByteArray WaveFile(const QList<qint16>& samples)
{
    const auto u32 = [](quint32 value) {
        QByteArray bytes(4, '\0');
        qToLittleEndian(value, bytes.data());
        return bytes;
    };
    const auto u16 = [](quint16 value) {
        QByteArray bytes(2, '\0');
        qToLittleEndian(value, bytes.data());
        return bytes;
    };
    QByteArray data;
    for (const qint16 sample : samples)
        data += u16(static_cast<quint16>(sample));
    QByteArray fmt = u16(1) + u16(1) + u32(SampleRate) + u32(SampleRate * 2) + u16(2) + u16(16);
    QByteArray body
        = "WAVE" + QByteArray("fmt ") + u32(fmt.size()) + fmt + "data" + u32(data.size()) + data;
    return "RIFF" + u32(body.size()) + body;
}

QByteArray Pcm(const QList<qint16>& samples)
{
    return WaveFile(samples).mid(44);
}

// Samples none of whose bytes is zero, so that they stand out from the output's silence.
QList<qint16> Pattern(int count, int seed)
{
    QList<qint16> samples;
    for (int i = 0; i < count; ++i) {
        const int step = 0x11 + (i * 7 + seed) % 0x60;
        samples.append(static_cast<qint16>(step * 0x0101));
    }
    return samples;
}

// What the disk audio driver wrote, without the silence it writes before the sound starts.
QByteArray Played(const QString& outputFile)
{
    QFile file(outputFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    while (start + 1 < bytes.size() && bytes[start] == 0 && bytes[start + 1] == 0)
        start += 2;
    return bytes.mid(start);
}

// Waits until the output holds at least the given number of sound bytes.
QByteArray WaitForPlayed(const QString& outputFile, qsizetype size)
{
    QDeadlineTimer deadline(10000);
    QByteArray played = Played(outputFile);
    while (played.size() < size && !deadline.hasExpired()) {
        QThread::msleep(20);
        played = Played(outputFile);
    }
    return played;
}

class TEnvironment
{
public:
    TEnvironment(const char* name, const QByteArray& value)
        : FName(name)
    {
        if (qEnvironmentVariableIsSet(name))
            FOld = qgetenv(name);
        qputenv(name, value);
    }
    ~TEnvironment()
    {
        if (FOld)
            qputenv(FName, *FOld);
        else
            qunsetenv(FName);
    }

private:
    const char* FName;
    std::optional<QByteArray> FOld;
};

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
    const QList<qint16> longSound = Pattern(SampleRate * 3, 0);
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
    const QString wave = Folder.Write("long.wav", WaveFile(Pattern(SampleRate * 3, 0)));
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
