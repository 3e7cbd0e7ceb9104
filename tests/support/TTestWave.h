#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QList>
#include <QString>
#include <QThread>
#include <QtEndian>

#include <optional>

// Wave files for tests and what SDL's disk audio driver wrote of them.

constexpr int WaveSampleRate = 44100;

// A mono 16-bit PCM wave of the given samples.
inline QByteArray WaveFile(const QList<qint16>& samples)
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
    const QByteArray fmt
        = u16(1) + u16(1) + u32(WaveSampleRate) + u32(WaveSampleRate * 2) + u16(2) + u16(16);
    const QByteArray body
        = "WAVE" + QByteArray("fmt ") + u32(fmt.size()) + fmt + "data" + u32(data.size()) + data;
    return "RIFF" + u32(body.size()) + body;
}

// The samples as the output carries them.
inline QByteArray Pcm(const QList<qint16>& samples)
{
    return WaveFile(samples).mid(44);
}

// Samples none of whose bytes is zero, so that they stand out from the output's silence.
inline QList<qint16> Pattern(int count, int seed)
{
    QList<qint16> samples;
    for (int i = 0; i < count; ++i) {
        const int step = 0x11 + (i * 7 + seed) % 0x60;
        samples.append(static_cast<qint16>(step * 0x0101));
    }
    return samples;
}

// What the disk audio driver wrote, without the silence it writes before the sound starts.
inline QByteArray Played(const QString& outputFile)
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
inline QByteArray WaitForPlayed(const QString& outputFile, qsizetype size)
{
    QDeadlineTimer deadline(10000);
    QByteArray played = Played(outputFile);
    while (played.size() < size && !deadline.hasExpired()) {
        QThread::msleep(20);
        played = Played(outputFile);
    }
    return played;
}

// Sets an environment variable for the life of the object.
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
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;

private:
    const char* FName;
    std::optional<QByteArray> FOld;
};
