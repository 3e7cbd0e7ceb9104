#include "TFAbout.h"

#include "framework/OwnedWindow.h"
#include "framework/TApplication.h"
#include "framework/TEventBinder.h"
#include "framework/TOwnedDialog.h"
#include "framework/TSpeedButton.h"
#include "framework/TWindowFrame.h"
#include "platform/TShellOpen.h"
#include "ui_TFAbout.h"

#include <QKeyEvent>
#include <QTextBlockFormat>
#include <QTextCursor>

#include <mutex>

const QString TFAbout::HomePage = QStringLiteral("https://conveyor.example.org/");
const QString TFAbout::MailLink = QStringLiteral("mailto:conveyor@example.org");
const QColor TFAbout::LinkColour(0, 0, 255);
// The classic inactive caption colour.
const QColor TFAbout::PressedLinkColour(128, 128, 128);
const QColor TFAbout::VisitedLinkColour(255, 0, 0);

// Outside any namespace: the resource registration names a function of the global one.
static void RegisterAboutPictures()
{
    // A static library has to register its resources itself.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(about); });
}

namespace {

// Mouse input goes where the classic controls send it: a disabled control passes it to the
// control beneath (a press on the greyed memo reaches the background panel and closes the
// window), and the control that takes it keeps it. Qt would otherwise pass an
// ignored click on up the parents, so a click on the picture's panel would close the window
// through Panel1 too.
void RouteMouseClassically(QWidget& window)
{
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const bool enabled = control->isEnabled();
        control->setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
        control->setAttribute(Qt::WA_NoMousePropagation, enabled);
    }
}

// The memo's lines are centred, as its alignment asks.
void CentreLines(QTextEdit& memo)
{
    QTextCursor cursor(memo.document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(format);
}

} // namespace

TFAbout::TFAbout(TApplication& application, QWidget& mainWindow, TShellOpen& shell)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , FUi(std::make_unique<Ui::TFAbout>())
    , FMainWindow(&mainWindow)
    , FShell(shell)
{
    RegisterAboutPictures();
    FUi->setupUi(this);
    // A tool window of a fixed size: the window manager offers it neither resizing nor a
    // maximise button.
    setFixedSize(size());
    // The memo stands on the window's face colour, whatever the style makes of it.
    QPalette memoColours = FUi->Memo1->palette();
    memoColours.setColor(QPalette::Base, palette().color(QPalette::Button));
    FUi->Memo1->setPalette(memoColours);
    CentreLines(*FUi->Memo1);
    RouteMouseClassically(*this);
    // The window has no close box: Escape is the keyboard's way out, and every way out
    // enables the main window again.
    new TOwnedDialog(*this, &mainWindow);
    // "Close About" is the window's one button; it holds the focus, so Space closes too.
    FUi->SpeedButton1->setFocusPolicy(Qt::TabFocus);
    setFocusProxy(FUi->SpeedButton1);

    TEventBinder::Bind(application, *this, *FUi,
        {
            { ekShow, &TFAbout::FormShow },
            { &Ui::TFAbout::Panel1, ekClick, &TFAbout::Panel1Click },
            { &Ui::TFAbout::Image1, ekClick, &TFAbout::Image1Click },
            { &Ui::TFAbout::Image2, ekClick, &TFAbout::Image2Click },
            { &Ui::TFAbout::Memo1, ekClick, &TFAbout::Memo1Click },
            { &Ui::TFAbout::SpeedButton1, ekClick, &TFAbout::SpeedButton1Click },
            { &Ui::TFAbout::Label1, ekMouseDown, &TFAbout::Label1MouseDown },
            { &Ui::TFAbout::Label1, ekMouseUp, &TFAbout::Label1MouseUp },
            { &Ui::TFAbout::Label2, ekMouseDown, &TFAbout::Label2MouseDown },
            { &Ui::TFAbout::Label2, ekMouseUp, &TFAbout::Label2MouseUp },
            { &Ui::TFAbout::Wallpaper1, ekDblClick, &TFAbout::Wallpaper1DblClick },
        });
}

TFAbout::~TFAbout() = default;

QPoint TFAbout::CentredOrigin(const QRect& mainFrame, const QSize& size)
{
    const int top = mainFrame.top() + mainFrame.height() / 2 - size.height() / 2;
    const int left = mainFrame.left() + mainFrame.width() / 2 - size.width() / 2;
    return QPoint(left, top);
}

void TFAbout::FormShow()
{
    if (!FMainWindow)
        return;
    TWindowFrame::PlaceAt(*this, [this](const QSize& frame) {
        return CentredOrigin(FMainWindow ? FMainWindow->frameGeometry() : QRect(), frame);
    });
    ActivateAbove(*this, FMainWindow);
}

void TFAbout::Panel1Click()
{
    close();
}

void TFAbout::Image1Click()
{
    close();
}

void TFAbout::Image2Click()
{
    close();
}

void TFAbout::Memo1Click()
{
    close();
}

void TFAbout::SpeedButton1Click()
{
    close();
}

void TFAbout::Label1MouseDown()
{
    SetFontColour(*FUi->Label1, PressedLinkColour);
}

void TFAbout::Label1MouseUp()
{
    SetFontColour(*FUi->Label1, VisitedLinkColour);
    FShell.Open(HomePage);
}

void TFAbout::Label2MouseDown()
{
    SetFontColour(*FUi->Label2, PressedLinkColour);
}

void TFAbout::Label2MouseUp()
{
    SetFontColour(*FUi->Label2, VisitedLinkColour);
    FShell.Open(MailLink);
}

void TFAbout::Wallpaper1DblClick()
{
    FUi->Image1->hide();
    FUi->Image2->show();
}

void TFAbout::keyPressEvent(QKeyEvent* event)
{
    // Enter closes the window too (Escape does, as for every owned dialog): its only
    // answer is to close.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFAbout::SetFontColour(QLabel& label, const QColor& colour)
{
    QPalette colours = label.palette();
    colours.setColor(QPalette::Active, QPalette::WindowText, colour);
    colours.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label.setPalette(colours);
}
