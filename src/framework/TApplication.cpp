#include "TApplication.h"

#include "framework/EAbort.h"
#include "framework/FrameworkPictures.h"
#include "platform/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

#include <exception>

namespace {

void ShowErrorBox(const QString& caption, const QString& text)
{
    std::unique_ptr<QMessageBox> box = TApplication::CreateErrorBox(caption, text);
    box->exec();
}

bool AskInBox(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
        QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace

TApplication::TApplication(QObject* parent)
    : QObject(parent)
    , FTitle(QCoreApplication::applicationName())
    , FPresenter(ShowErrorBox)
    , FQuestionPresenter(AskInBox)
{
    InitFrameworkPictures();
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

TApplication::~TApplication() = default;

bool TApplication::eventFilter(QObject* watched, QEvent* event)
{
    // A window that waits for a dialog (the main window while Preferences or About is open)
    // takes no input at all, its close box, Alt+F4 and the window manager's close included:
    // closing it would end the program and save what the dialog has not confirmed.
    if (event->type() == QEvent::Close && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && !window->isEnabled()) {
            event->ignore();
            return true;
        }
    }
    // Made active (a click on its frame, the task list), such a window hands the focus to the
    // dialog it waits for, brought back should the window manager have minimised it.
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && !window->isEnabled())
            if (QWidget* dialog = WaitedFor(*window))
                QMetaObject::invokeMethod(
                    dialog,
                    [dialog] {
                        if (dialog->isMinimized())
                            dialog->showNormal();
                        dialog->raise();
                        dialog->activateWindow();
                    },
                    Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

QWidget* TApplication::WaitedFor(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    if (!handle)
        return nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* other : windows)
        if (other != &window && other->isVisible() && other->isEnabled() && other->windowHandle()
            && other->windowHandle()->transientParent() == handle)
            return other;
    return nullptr;
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TApplication::Guard(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const EAbort&) {
    } catch (...) {
        HandleException();
    }
}

void TApplication::Guard(TApplication* application, const std::function<void()>& handler) noexcept
{
    if (application) {
        application->Guard(handler);
        return;
    }
    try {
        handler();
    } catch (const EAbort&) {
    } catch (...) {
        qCritical("%s", qUtf8Printable(CurrentExceptionMessage()));
    }
}

void TApplication::HandleException() noexcept
{
    ShowException(CurrentExceptionMessage());
}

void TApplication::ShowException(const QString& message) noexcept
{
    try {
        FPresenter(FTitle, ErrorText(message));
    } catch (...) {
        // The box itself failed (out of memory, a presenter that throws): nothing is left
        // to report it with, and unwinding from here would reach Qt.
        qCritical("%s: %s", qUtf8Printable(FTitle), qUtf8Printable(message));
    }
}

void TApplication::SetErrorPresenter(TErrorPresenter presenter)
{
    FPresenter = presenter ? std::move(presenter) : TErrorPresenter(ShowErrorBox);
}

bool TApplication::Ask(const QString& question)
{
    return FQuestionPresenter(FTitle, question);
}

void TApplication::SetQuestionPresenter(TQuestionPresenter presenter)
{
    FQuestionPresenter = presenter ? std::move(presenter) : TQuestionPresenter(AskInBox);
}

QString TApplication::ErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString TApplication::CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception& error) {
        return error.Message();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred");
    }
}

std::unique_ptr<QMessageBox> TApplication::CreateErrorBox(
    const QString& caption, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Critical, caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}
