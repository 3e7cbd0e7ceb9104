#pragma once

#include <functional>

// The system's default beep. Sounding it belongs to the windowing layer, which hands the
// action in at start-up; tests hand in a counter. Without an action a beep is silent.
class TBeeper
{
public:
    using TAction = std::function<void()>;

    TBeeper() = default;
    explicit TBeeper(TAction action);

    void SetAction(TAction action);
    void Beep() const;

private:
    TAction FAction;
};
