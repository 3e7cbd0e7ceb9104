#include "TMainWindowTest.h"
#include "TProcFolder.h"
#include "delivery/TFprog.h"
#include "framework/TPanel.h"
#include "framework/TSpeedButton.h"
#include "platform/TShellOpen.h"
#include "platform/port/TKernelPortList.h"
#include "shell/TFPrefs.h"
#include "shell/TOpenDia.h"
#include "widgets/TFAbout.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <iostream>
#include <set>
#include <string>
#include <vector>

namespace {

// The families fontconfig gives a Debian machine for the windows' "Arial": Liberation Sans
// (fonts-liberation, metric-compatible with Arial) or, without it, the default sans, DejaVu
// Sans. Anything else means the check below measured a font no user sees.
const QStringList DebianFamilies
    = { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") };

// "window/control "text" needs WxH, has WxH".
std::string Describe(const QWidget& control, const QString& text, const QSize& needed)
{
    return (control.window()->objectName() + QLatin1Char('/') + control.objectName()
        + QStringLiteral(" \"") + text + QStringLiteral("\" needs ")
        + QString::number(needed.width()) + QLatin1Char('x') + QString::number(needed.height())
        + QStringLiteral(", has ") + QString::number(control.width()) + QLatin1Char('x')
        + QString::number(control.height()))
        .toStdString();
}

// The title's place as the style draws it; QGroupBox keeps its own style option protected,
// so it is filled here the way QGroupBox fills it.
QRect GroupBoxTitle(const QGroupBox& box)
{
    QStyleOptionGroupBox option;
    option.initFrom(&box);
    option.text = box.title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = Qt::Alignment(box.alignment());
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.features = box.isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    return box.style()->subControlRect(
        QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &box);
}

// Every caption of the window's visible controls that its control cuts off.
std::vector<std::string> ClippedCaptions(const QWidget& window)
{
    std::vector<std::string> clipped;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isVisibleTo(&window))
            continue;
        if (const auto* button = qobject_cast<const TSpeedButton*>(control)) {
            // Drawn by the button itself: the caption must stay inside the 1-pixel bevel.
            const QRect caption = button->CaptionRect();
            if (!button->text().isEmpty()
                && (caption.left() < 1 || caption.right() > button->width() - 2 || caption.top() < 0
                    || caption.bottom() > button->height() - 1))
                clipped.push_back(Describe(*button, button->text(),
                    QSize(button->width() + std::max(1 - caption.left(), 0)
                            + std::max(caption.right() - (button->width() - 2), 0),
                        caption.height())));
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
            if (button->text().isEmpty())
                continue;
            // Across: the style's indicator, spacing, text and the room of the focus frame
            // around the text. Down: the indicator and one line of text, each centred; the
            // style's hint would add the focus frame's room above and below as well, which
            // the 17-pixel rows the windows are drawn with never had.
            QStyleOptionButton option;
            option.initFrom(button);
            const QStyle::PixelMetric indicator = qobject_cast<const QRadioButton*>(button)
                ? QStyle::PM_ExclusiveIndicatorHeight
                : QStyle::PM_IndicatorHeight;
            const QSize needed(button->sizeHint().width(),
                std::max(button->fontMetrics().height(),
                    button->style()->pixelMetric(indicator, &option, button)));
            if (needed.width() > button->width() || needed.height() > button->height())
                clipped.push_back(Describe(*button, button->text(), needed));
        } else if (const auto* label = qobject_cast<const QLabel*>(control)) {
            if (label->text().isEmpty())
                continue;
            if (label->wordWrap()) {
                const int height = label->heightForWidth(label->width());
                if (height > label->height())
                    clipped.push_back(
                        Describe(*label, label->text(), QSize(label->width(), height)));
            } else {
                const QSize needed = label->sizeHint();
                if (needed.width() > label->width() || needed.height() > label->height())
                    clipped.push_back(Describe(*label, label->text(), needed));
            }
        } else if (const auto* box = qobject_cast<const QGroupBox*>(control)) {
            const QRect title = GroupBoxTitle(*box);
            if (!box->title().isEmpty() && (title.left() < 0 || title.right() >= box->width()))
                clipped.push_back(
                    Describe(*box, box->title(), QSize(title.right() + 1, title.height())));
        }
    }
    return clipped;
}

// Gives the window and every control in it the family, keeping each one's size and weight:
// what the windows look like where fontconfig has another font for "Arial".
void UseFamily(QWidget& window, const QString& family)
{
    std::vector<QWidget*> widgets { &window };
    for (QWidget* child : window.findChildren<QWidget*>())
        widgets.push_back(child);
    // Fonts first read and then set, so that a parent's change cannot reach a child early.
    std::vector<QFont> fonts;
    for (const QWidget* widget : widgets)
        fonts.push_back(widget->font());
    for (std::size_t i = 0; i < widgets.size(); ++i) {
        fonts[i].setFamilies({ family });
        widgets[i]->setFont(fonts[i]);
    }
}

// The status line's texts, the longest first: the catalogue's, the delivery's with a full
// 20-character image name, the checksum verdicts and the rename's.
const QStringList StatusTexts = {
    QStringLiteral(" Checksums cannot be checked (unknown boot code)"),
    QStringLiteral(" Checksums cannot be checked (file too short)"),
    QStringLiteral(" Checksums match (boot code 6102)"),
    QStringLiteral(" Warning: checksums do not match"),
    QStringLiteral(" Sending SUPER RACER CHAMPION(SUPERRAC.V64) ... "),
    QStringLiteral("Please enter a filename without path characters..."),
    QStringLiteral(" Reading file information..."),
    QStringLiteral(" Getting filelist..."),
    QStringLiteral(" Checking port..."),
    QStringLiteral("No File Selected!"),
    QStringLiteral("  Done... "),
};
// The file counter while a folder of thousands of images is read, and when it is empty.
const QStringList FileCounts = { QStringLiteral("10000 Files "), QStringLiteral(" 0 Files") };
// The widest figures a delivery shows: percentage, minutes and seconds, megabits of the
// largest image, a rate, and the dashes of an unknown size.
const QStringList Figures = { QStringLiteral("100 %"), QStringLiteral("99:59"),
    QStringLiteral("512"), QStringLiteral("8.888"), QStringLiteral("--") };

class TCaptionFit : public TMainWindowTest
{
protected:
    // Every window of the program, shown as the user sees it, the main window with its
    // rename panel open.
    void StartAll()
    {
        SettingsForImages();
        TFMain& main = Start();
        TFPrefs::THost host;
        host.MainWindow = &main;
        host.StatusLine = main.Panel2();
        host.ApplyColumnLayout = [&main] { main.ApplyColumnLayout(); };
        host.ShowWaveChooser = [] {};
        host.PlayWaveFile = [](const QString&) {};
        host.KernelPorts = [this] { return TKernelPortList::Read(Proc.Path()); };
        Prefs
            = std::make_unique<TFPrefs>(Application, main.SettingsFile(), main.GameDoctor1(), host);
        About = std::make_unique<TFAbout>(Application, main, Shell);
        Progress = std::make_unique<TFprog>(&main);
        Chooser
            = std::make_unique<TOpenDia>(Application, main.SettingsFile(), [](const QString&) {});
        Find<TSpeedButton>("SpeedButton9")->click();
        for (QWidget* window : Windows())
            window->show();
        Settle();
    }

    void TearDown() override
    {
        Chooser.reset();
        Progress.reset();
        About.reset();
        Prefs.reset();
        TMainWindowTest::TearDown();
    }

    std::vector<QWidget*> Windows() const
    {
        return { Window.get(), Prefs.get(), About.get(), Progress.get(), Chooser.get() };
    }

    // Every caption that clips, in the windows as they stand and with each text the program
    // puts into its status line, file counter and figures.
    std::vector<std::string> ClippedEverywhere()
    {
        std::vector<std::string> clipped;
        auto add = [&clipped](const std::vector<std::string>& more) {
            for (const std::string& one : more)
                if (std::find(clipped.begin(), clipped.end(), one) == clipped.end())
                    clipped.push_back(one);
        };
        for (QWidget* window : Windows())
            add(ClippedCaptions(*window));
        for (const QString& text : StatusTexts) {
            Window->SetStatusText(text);
            add(ClippedCaptions(*Window));
        }
        auto* counter = Find<QLabel>("Label11");
        for (const QString& text : FileCounts) {
            counter->setText(text);
            add(ClippedCaptions(*Window));
        }
        // A full eight-character new name with a system for extension.
        Find<QLabel>("Label13")->setText(QStringLiteral("SUPERRAC.USA"));
        add(ClippedCaptions(*Window));
        for (const QString& text : Figures) {
            for (QLabel* label : Progress->FigureLabels())
                label->setText(text);
            add(ClippedCaptions(*Progress));
        }
        return clipped;
    }

    // Reports every clipped caption, and fails on each but those of the tolerated controls.
    static void ExpectOnly(const std::vector<std::string>& clipped,
        const std::vector<std::string>& tolerated, const std::string& family)
    {
        for (const std::string& one : clipped) {
            std::cout << family << ": " << one << '\n';
            const std::string control = one.substr(0, one.find(' '));
            EXPECT_TRUE(std::find(tolerated.begin(), tolerated.end(), control) != tolerated.end())
                << family << " clips " << one;
        }
    }

    TProcFolder Proc;
    TShellOpen Shell;
    std::unique_ptr<TFPrefs> Prefs;
    std::unique_ptr<TFAbout> About;
    std::unique_ptr<TFprog> Progress;
    std::unique_ptr<TOpenDia> Chooser;
};

// The controls that cut their captions off in DejaVu Sans, which runs wider than Arial and
// Liberation Sans, and that cannot grow without moving a neighbour: the directory checkbox
// of the preferences (the column group follows it), the port buttons and "Beep when
// finished:" (one or two pixels of the focus frame's room; their texts show whole), "New
// Name:" (the preview follows it) and the third caption of the progress window, whose size
// is fixed.
const std::vector<std::string> TightInDejaVuSans
    = { "FPrefs/CheckBox1", "FPrefs/RadioButton1", "FPrefs/RadioButton2", "FPrefs/RadioButton3",
          "FPrefs/CheckBox6", "FMain/Label4", "Fprog/Label14" };

} // namespace

TEST(TCaptionCheck, FindsEveryKindOfCaptionItsControlCutsOffAndPassesThoseThatFit)
{
    QWidget window;
    window.setObjectName(QStringLiteral("Window"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    window.setFont(font);
    auto* label = new QLabel(QStringLiteral("New Name:"), &window);
    auto* wrapped
        = new QLabel(QStringLiteral("A caption long enough to take three lines"), &window);
    wrapped->setWordWrap(true);
    auto* check = new QCheckBox(QStringLiteral("Beep when finished:"), &window);
    auto* radio = new QRadioButton(QStringLiteral("Port LPT2:"), &window);
    auto* box = new QGroupBox(QStringLiteral(" Choose transfer port: "), &window);
    auto* button = new TSpeedButton(&window);
    button->setText(QStringLiteral("Save Prefs"));
    const std::vector<QWidget*> controls = { label, wrapped, check, radio, box, button };
    const char* names[] = { "Label", "Wrapped", "Check", "Radio", "Box", "Button" };
    for (std::size_t i = 0; i < controls.size(); ++i) {
        controls[i]->setObjectName(QString::fromLatin1(names[i]));
        controls[i]->setGeometry(0, int(i) * 30, 40, 17);
    }
    window.resize(400, 200);
    window.show();

    const std::vector<std::string> clipped = ClippedCaptions(window);
    ASSERT_EQ(clipped.size(), controls.size()) << ::testing::PrintToString(clipped);
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_EQ(clipped[i].rfind(std::string("Window/") + names[i] + " \"", 0), 0U) << clipped[i];

    // Two pixels less than a check box needs across is too little.
    check->resize(check->sizeHint().width() - 2, 17);
    for (QWidget* control : controls)
        if (control != check)
            control->resize(300, 40);
    EXPECT_EQ(ClippedCaptions(window).size(), 1U);
    check->resize(check->sizeHint().width(), 17);
    EXPECT_TRUE(ClippedCaptions(window).empty())
        << ::testing::PrintToString(ClippedCaptions(window));
}

TEST_F(TCaptionFit, EveryCaptionOfEveryWindowShowsWholeInTheFontDebianGivesArial)
{
    StartAll();
    // Which font each caption is really drawn in.
    std::set<std::string> families;
    bool dejaVu = false;
    for (QWidget* window : Windows())
        for (const QWidget* control : window->findChildren<QWidget*>()) {
            if (!qobject_cast<const QLabel*>(control)
                && !qobject_cast<const QAbstractButton*>(control)
                && !qobject_cast<const QGroupBox*>(control))
                continue;
            const QString family = QFontInfo(control->font()).family();
            families.insert(window->objectName().toStdString() + ": \""
                + control->font().family().toStdString() + "\" is drawn in \""
                + family.toStdString() + '"');
            dejaVu = dejaVu || family == QStringLiteral("DejaVu Sans");
            EXPECT_TRUE(DebianFamilies.contains(family))
                << control->objectName().toStdString() << " fell back to " << family.toStdString()
                << "; scripts/setup.sh installs fonts-liberation and fonts-dejavu-core";
        }
    for (const std::string& family : families)
        std::cout << family << '\n';
    std::cout << "style: " << QApplication::style()->name().toStdString() << '\n';

    // Without fonts-liberation "Arial" is DejaVu Sans, where a few captions have no room.
    ExpectOnly(
        ClippedEverywhere(), dejaVu ? TightInDejaVuSans : std::vector<std::string>(), "Arial");
}

TEST_F(TCaptionFit, InTheDefaultSansOnlyTheKnownTightCaptionsClip)
{
    StartAll();
    ASSERT_EQ(QFontInfo(QFont(QStringLiteral("DejaVu Sans"))).family(), "DejaVu Sans")
        << "scripts/setup.sh installs fonts-dejavu-core";
    for (QWidget* window : Windows())
        UseFamily(*window, QStringLiteral("DejaVu Sans"));
    Settle();
    ExpectOnly(ClippedEverywhere(), TightInDejaVuSans, "DejaVu Sans");
}
