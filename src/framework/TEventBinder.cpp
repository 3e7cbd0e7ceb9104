#include "TEventBinder.h"

#include "framework/TApplication.h"
#include "framework/TBindableControl.h"

#include <QPointer>

TEventHandler TEventBinder::Guarded(TApplication& application, TEventHandler handler)
{
    const QPointer<TApplication> guard(&application);
    return [guard, handler = std::move(handler)] { TApplication::Guard(guard.data(), handler); };
}

void TEventBinder::Finish(
    TApplication& application, QWidget& window, const std::vector<TEventHandler>& creates)
{
    if (auto* own = dynamic_cast<TBindableControl*>(&window))
        own->SetApplication(&application);
    for (QObject* child : window.findChildren<QObject*>())
        if (auto* own = dynamic_cast<TBindableControl*>(child))
            own->SetApplication(&application);
    for (const TEventHandler& create : creates)
        create();
}

void TEventBinder::Bind(
    TApplication& application, QWidget& window, TCreateEvent, TEventHandler handler)
{
    Finish(application, window, { Guarded(application, std::move(handler)) });
}
