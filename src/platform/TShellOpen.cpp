#include "TShellOpen.h"

#include <utility>

TShellOpen::TShellOpen(TAction action)
    : FAction(std::move(action))
{
}

void TShellOpen::SetAction(TAction action)
{
    FAction = std::move(action);
}

void TShellOpen::Open(const QString& link) const
{
    if (FAction)
        FAction(link);
}
