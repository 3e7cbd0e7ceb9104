#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// The application object the windows are built on: its title, the message pump, and the
// standard handling of an exception raised in an event handler. There is one, owned by the
// program's entry and handed to every window; event handlers run inside its Guard, so no
// exception ever unwinds through Qt code.
class TApplication : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)

public:
    // Receives what the error box would show. The default one shows the box and waits for
    // OK; tests put a recorder in its place.
    using TErrorPresenter = std::function<void(const QString& caption, const QString& text)>;
    // Answers a yes-or-no question: the default one shows a question box and waits for the
    // user; tests answer in its place. True is "Yes".
    using TQuestionPresenter = std::function<bool(const QString& caption, const QString& text)>;

    // Needs a QApplication that outlives it.
    explicit TApplication(QObject* parent = nullptr);
    ~TApplication() override;

    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& title) { FTitle = title; }

    // Lets every pending event run once, then returns.
    void ProcessMessages();

    // Runs an event handler; an exception it raises is shown in the error box and the
    // program goes on (EAbort passes silently). Guard itself never throws.
    void Guard(const std::function<void()>& handler) noexcept;
    // The same through a pointer that may be null (the application already gone, a control
    // used outside a bound window): then the failure is only logged, never let through.
    static void Guard(TApplication* application, const std::function<void()>& handler) noexcept;
    // Shows the exception being handled; call it only inside a catch block.
    void HandleException() noexcept;
    // Shows a message the way an exception's message is shown.
    void ShowException(const QString& message) noexcept;

    void SetErrorPresenter(TErrorPresenter presenter);

    // Asks the user a question in a box with the application's title; true for "Yes".
    // "No" is the default button, so that a stray Enter changes nothing.
    bool Ask(const QString& question);
    void SetQuestionPresenter(TQuestionPresenter presenter);

    // The text the error box shows for a message: a "." follows a message whose last
    // character comes after "." in character order.
    static QString ErrorText(const QString& message);
    // The message of the exception being handled, whatever was thrown.
    static QString CurrentExceptionMessage();
    // The box the default presenter shows: error icon, OK button.
    static std::unique_ptr<QMessageBox> CreateErrorBox(const QString& caption, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The shown window that stays above a disabled window it belongs to: the dialog the
    // disabled window waits for.
    static QWidget* WaitedFor(const QWidget& window);

    QString FTitle;
    TErrorPresenter FPresenter;
    TQuestionPresenter FQuestionPresenter;
};
