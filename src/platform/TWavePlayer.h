#pragma once

#include <QString>

#include <atomic>
#include <cstdint>

// Plays wave files, one at a time, through the audio library. A file is loaded whole when
// it is played and stays loaded, with the audio device open, until the next Play or
// Close; playing never waits for the sound to end. The audio device is opened only when
// something is played, so a machine without sound output can run the program and only
// finds out when it asks for a sound.
class TWavePlayer
{
public:
    TWavePlayer() = default;
    ~TWavePlayer();
    TWavePlayer(const TWavePlayer&) = delete;
    TWavePlayer& operator=(const TWavePlayer&) = delete;

    // Stops the sound still playing, loads the file and starts playing it. A file that
    // cannot be read or is not a wave, or audio output that cannot be opened, raises
    // EMCIDeviceError with the audio library's text; nothing plays then.
    void Play(const QString& fileName);
    // Stops the sound and releases the file and the audio device.
    void Close();

    // The file named by the last Play, whether it could be opened or not.
    const QString& FileName() const { return FFileName; }
    bool IsOpen() const { return FDevice != 0; }

private:
    static void Feed(void* player, std::uint8_t* stream, int length);
    QString LibraryError() const;
    [[noreturn]] void Fail(const QString& message);

    QString FFileName;
    bool FAudioStarted = false;
    std::uint32_t FDevice = 0;
    std::uint8_t* FSamples = nullptr;
    std::uint32_t FLength = 0;
    std::uint8_t FSilence = 0;
    // Advanced by the audio thread only while the device is open.
    std::atomic<std::uint32_t> FPosition = 0;
};
