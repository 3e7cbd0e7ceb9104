#include "CompletionSignal.h"

#include "platform/TBeeper.h"
#include "platform/TWavePlayer.h"
#include "shell/TSettings.h"

#include <QWidget>

void CompletionSignal(const TSettings& settings, const TBeeper& beeper, TWavePlayer& player,
    const std::function<void(const QString& text)>& setStatusText, QWidget& progressWindow)
{
    setStatusText(QStringLiteral(" Done..."));
    progressWindow.close();
    if (settings.BeepWhenFinished)
        beeper.Beep();
    if (settings.WaveFile.size() < 2)
        return;
    if (settings.PlayWhenFinished)
        player.Play(settings.WaveFile);
}
