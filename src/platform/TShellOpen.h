#pragma once

#include <QString>

#include <functional>

// Hands a web or mail link to the user's browser or mail program and returns at once.
// Reaching the desktop belongs to the windowing layer, which hands the action in at
// start-up; tests hand in a recorder. Without an action a link goes nowhere. The shell's
// answer is never reported: a link that cannot be opened is simply ignored.
class TShellOpen
{
public:
    using TAction = std::function<void(const QString& link)>;

    TShellOpen() = default;
    explicit TShellOpen(TAction action);

    void SetAction(TAction action);
    void Open(const QString& link) const;

private:
    TAction FAction;
};
