#include "TBeeper.h"

#include <utility>

TBeeper::TBeeper(TAction action)
    : FAction(std::move(action))
{
}

void TBeeper::SetAction(TAction action)
{
    FAction = std::move(action);
}

void TBeeper::Beep() const
{
    if (FAction)
        FAction();
}
