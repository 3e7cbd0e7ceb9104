#include "TBindableControl.h"

#include "framework/TApplication.h"

TBindableControl::~TBindableControl() = default;

void TBindableControl::SetApplication(TApplication* application)
{
    FApplication = application;
}

TApplication* TBindableControl::Application() const
{
    return FApplication;
}

void TBindableControl::Guarded(const std::function<void()>& action) const noexcept
{
    TApplication::Guard(FApplication.data(), action);
}
