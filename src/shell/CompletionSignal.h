#pragma once

#include <QString>

#include <functional>

class QWidget;
class TBeeper;
class TWavePlayer;
struct TSettings;

// The end of a delivery that went through: the status line reads " Done...", the progress
// window closes, then the beep sounds when BeepWhenFinished, and the wave file plays when
// PlayWhenFinished and WaveFile names something (at least 2 characters). Neither sound is
// waited for. A wave that cannot be played raises EMCIDeviceError after all the rest.
void CompletionSignal(const TSettings& settings, const TBeeper& beeper, TWavePlayer& player,
    const std::function<void(const QString& text)>& setStatusText, QWidget& progressWindow);
