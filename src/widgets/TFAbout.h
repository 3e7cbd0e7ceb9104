#pragma once

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <memory>

class QKeyEvent;
class QLabel;
class TApplication;
class TShellOpen;

namespace Ui {
class TFAbout;
}

// The about window: the product's logo, the credits, the home page and mail links and a
// "Close About" button. It is created once, hidden, and shown without waiting by the main
// window, which disables itself first; every way out of this window enables the main window
// again. Closing only hides it, so a clicked link and a swapped picture stay as they are for
// the next showing.
//
// The window has no parent: a disabled parent would disable its child windows along with
// itself. It stays above the main window through the window system instead.
class TFAbout : public QWidget
{
    Q_OBJECT

public:
    static const QString HomePage;
    static const QString MailLink;
    // The colours of a link label: as laid out, while a button is held on it, once clicked.
    static const QColor LinkColour;
    static const QColor PressedLinkColour;
    static const QColor VisitedLinkColour;

    // mainWindow is centred on at every showing and enabled on every way out; links go out
    // through shell. All three must outlive the window.
    TFAbout(TApplication& application, QWidget& mainWindow, TShellOpen& shell);
    ~TFAbout() override;

    // Where a window of outer size `size` goes to sit centred over a main window whose outer
    // bounds are `mainFrame`: half sizes rounded toward zero, wherever that lies.
    static QPoint CentredOrigin(const QRect& mainFrame, const QSize& size);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Handlers, bound in the window's event table.
    void FormShow();
    void Panel1Click();
    void Image1Click(); // the logo
    void Image2Click(); // the second picture
    void Memo1Click();
    void SpeedButton1Click(); // "Close About"
    void Label1MouseDown(); // the home page link
    void Label1MouseUp();
    void Label2MouseDown(); // the mail link
    void Label2MouseUp();
    void Wallpaper1DblClick();

    static void SetFontColour(QLabel& label, const QColor& colour);

    std::unique_ptr<Ui::TFAbout> FUi;
    QPointer<QWidget> FMainWindow;
    TShellOpen& FShell;
};
