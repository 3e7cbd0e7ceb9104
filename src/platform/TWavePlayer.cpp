#include "TWavePlayer.h"
#include "platform/RawText.h"

#include "platform/EMCIDeviceError.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>

#include <algorithm>
#include <cstring>

TWavePlayer::~TWavePlayer()
{
    Close();
    if (FAudioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TWavePlayer::Play(const QString& fileName)
{
    FFileName = fileName;
    Close();
    SDL_ClearError();

    // Opening a pipe or a device would wait for a writer that may never come.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        throw EMCIDeviceError(QStringLiteral("Couldn't open %1: not a file").arg(fileName));

    SDL_AudioSpec format;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(EncodeRawText(fileName).constData(), &format, &samples, &length)) {
        // Some of the library's texts ("Could not read RIFF header") leave out which file.
        QString message = LibraryError();
        if (!message.contains(fileName))
            message += QStringLiteral(": ") + fileName;
        Fail(message);
    }
    FSamples = samples;
    FLength = length;
    FSilence = format.silence;
    FPosition = 0;

    if (!FAudioStarted) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            Fail(LibraryError());
        FAudioStarted = true;
    }
    format.callback = &TWavePlayer::Feed;
    format.userdata = this;
    // Without an obtained format the library converts to whatever the output needs, so
    // the callback always hands over the file's own samples.
    FDevice = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
    if (FDevice == 0)
        Fail(LibraryError());
    SDL_PauseAudioDevice(FDevice, 0);
}

void TWavePlayer::Close()
{
    // Closing the device waits for the audio thread, so the samples are free to go after.
    if (FDevice != 0) {
        SDL_CloseAudioDevice(FDevice);
        FDevice = 0;
    }
    if (FSamples) {
        SDL_FreeWAV(FSamples);
        FSamples = nullptr;
        FLength = 0;
    }
}

void TWavePlayer::Feed(void* player, std::uint8_t* stream, int length)
{
    auto* self = static_cast<TWavePlayer*>(player);
    const std::uint32_t position = self->FPosition;
    const std::uint32_t count
        = std::min<std::uint32_t>(static_cast<std::uint32_t>(length), self->FLength - position);
    std::memcpy(stream, self->FSamples + position, count);
    std::memset(stream + count, self->FSilence, static_cast<std::uint32_t>(length) - count);
    self->FPosition = position + count;
}

QString TWavePlayer::LibraryError() const
{
    const QString message = QString::fromUtf8(SDL_GetError());
    return message.isEmpty() ? QStringLiteral("Cannot play %1").arg(FFileName) : message;
}

void TWavePlayer::Fail(const QString& message)
{
    Close();
    throw EMCIDeviceError(message);
}
