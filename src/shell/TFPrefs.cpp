#include "TFPrefs.h"

#include "catalogue/HeaderButtons.h"
#include "device/TGameDoctor.h"
#include "framework/OwnedWindow.h"
#include "framework/TApplication.h"
#include "framework/TEventBinder.h"
#include "framework/TOwnedDialog.h"
#include "framework/TSpeedButton.h"
#include "framework/TWindowFrame.h"
#include "platform/EInOutError.h"
#include "platform/port/TPortAddress.h"
#include "shell/TSettingsFile.h"
#include "ui_TFPrefs.h"

#include <QComboBox>
#include <QDir>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <array>
#include <mutex>

// Outside any namespace: the resource registration names a function of the global one.
static void RegisterPrefsPictures()
{
    // A static library has to register its resources itself.
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(prefs); });
}

namespace {

void PaintList(QWidget& list, const QColor& colour)
{
    QPalette colours = list.palette();
    colours.setColor(QPalette::Base, colour);
    list.setPalette(colours);
}

} // namespace

TFPrefs::TFPrefs(TApplication& application, TSettingsFile& settingsFile, TGameDoctor& gameDoctor,
    const THost& host)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , FUi(std::make_unique<Ui::TFPrefs>())
    , FApplication(application)
    , FSettingsFile(settingsFile)
    , FGameDoctor(gameDoctor)
    , FHost(host)
    , FMainWindow(host.MainWindow)
    , FStatusLine(host.StatusLine)
{
    RegisterPrefsPictures();
    FUi->setupUi(this);
    // A tool window of a fixed size: the window manager offers it neither resizing nor a
    // maximise button.
    setFixedSize(size());
    FUi->DriveComboBox1->SetDirList(FUi->DirectoryListBox1);
    // Escape leaves the window the way closing does, keeping the changes in memory unsaved.
    new TOwnedDialog(*this, host.MainWindow);
    // Every button is reached by Tab: the chooser and ">" after the wave file they act on,
    // then "Save Prefs" and "Cancel" as the last stops before the round begins again.
    for (TSpeedButton* button :
        { FUi->SpeedButton3, FUi->SpeedButton4, FUi->SpeedButton1, FUi->SpeedButton2 })
        button->setFocusPolicy(Qt::TabFocus);
    setTabOrder(FUi->Edit5, FUi->SpeedButton3);
    setTabOrder(FUi->SpeedButton3, FUi->SpeedButton4);
    setTabOrder(FUi->SpeedButton4, FUi->SpeedButton1);
    setTabOrder(FUi->SpeedButton1, FUi->SpeedButton2);

    TEventBinder::Bind(application, *this, *FUi,
        {
            { ekCreate, &TFPrefs::FormCreate },
            { ekShow, &TFPrefs::FormShow },
            { ekActivate, &TFPrefs::FormActivate },
            { ekClose, &TFPrefs::FormClose },
            { &Ui::TFPrefs::CheckBox1, ekClick, &TFPrefs::CheckBox1Click },
            { &Ui::TFPrefs::CheckBox2, ekClick, &TFPrefs::CheckBox2Click },
            { &Ui::TFPrefs::CheckBox3, ekClick, &TFPrefs::CheckBox3Click },
            { &Ui::TFPrefs::CheckBox4, ekClick, &TFPrefs::CheckBox4Click },
            { &Ui::TFPrefs::CheckBox5, ekClick, &TFPrefs::CheckBox5Click },
            { &Ui::TFPrefs::CheckBox6, ekClick, &TFPrefs::CheckBox6Click },
            { &Ui::TFPrefs::CheckBox7, ekClick, &TFPrefs::CheckBox7Click },
            { &Ui::TFPrefs::DirectoryListBox1, ekChange, &TFPrefs::DirectoryListBox1Change },
            { &Ui::TFPrefs::RadioButton1, ekClick, &TFPrefs::RadioButton1Click },
            { &Ui::TFPrefs::RadioButton2, ekClick, &TFPrefs::RadioButton2Click },
            { &Ui::TFPrefs::RadioButton3, ekClick, &TFPrefs::RadioButton3Click },
            { &Ui::TFPrefs::ComboBox1, ekChange, &TFPrefs::ComboBox1Change },
            { &Ui::TFPrefs::ComboBox1, ekExit, &TFPrefs::ComboBox1Exit },
            { &Ui::TFPrefs::SpeedButton1, ekClick, &TFPrefs::SpeedButton1Click },
            { &Ui::TFPrefs::SpeedButton2, ekClick, &TFPrefs::SpeedButton2Click },
            { &Ui::TFPrefs::SpeedButton3, ekClick, &TFPrefs::SpeedButton3Click },
            { &Ui::TFPrefs::SpeedButton4, ekClick, &TFPrefs::SpeedButton4Click },
            // The width boxes act when a value is confirmed, not at every keystroke.
            { &Ui::TFPrefs::Edit1, ekExit, &TFPrefs::Edit1Exit },
            { &Ui::TFPrefs::Edit2, ekExit, &TFPrefs::Edit2Exit },
            { &Ui::TFPrefs::Edit3, ekExit, &TFPrefs::Edit3Exit },
            { &Ui::TFPrefs::Edit4, ekExit, &TFPrefs::Edit4Exit },
        });
}

TFPrefs::~TFPrefs() = default;

void TFPrefs::RefreshFromSettings()
{
    TSettings& settings = Settings();
    FUi->CheckBox1->setChecked(settings.RememberLastDir);
    UpdateDefaultDirControls();
    ShowDefaultDir();
    FUi->Edit5->setText(settings.WaveFile);
    FUi->CheckBox7->setChecked(settings.PlayWhenFinished);
    FUi->CheckBox6->setChecked(settings.BeepWhenFinished);
    FUi->CheckBox2->setChecked(settings.ColumnVisible[0]);
    FUi->CheckBox3->setChecked(settings.ColumnVisible[1]);
    FUi->CheckBox4->setChecked(settings.ColumnVisible[2]);
    FUi->CheckBox5->setChecked(settings.ColumnVisible[3]);
    for (int column = 0; column < HeaderButtonCount; ++column)
        WidthBox(column)->setText(QString::number(settings.ColumnWidth[column]));
    FillPortList();
    if (const std::optional<std::uint16_t> address = TSettingsFile::ChosenAddress(settings)) {
        ShowPortAddress(*address);
        // Checked already, the button would not run its handler.
        if (FUi->RadioButton3->isChecked())
            RadioButton3Click();
        else
            FUi->RadioButton3->setChecked(true);
    } else if (settings.PortIsLPT1) {
        FUi->RadioButton1->setChecked(true);
    } else {
        FUi->RadioButton2->setChecked(true);
    }
}

void TFPrefs::UpdateDefaultDirControls()
{
    const bool remember = FUi->CheckBox1->isChecked();
    Settings().RememberLastDir = remember;
    FUi->Label2->setEnabled(!remember);
    FUi->DriveComboBox1->setEnabled(!remember);
    FUi->DirectoryListBox1->setEnabled(!remember);
    // Greyed, the lists take the colour of the window's face, as an inactive border has it.
    const QColor colour = palette().color(remember ? QPalette::Button : QPalette::Base);
    PaintList(*FUi->DriveComboBox1, colour);
    PaintList(*FUi->DirectoryListBox1, colour);
}

void TFPrefs::FormCreate()
{
    RefreshFromSettings();
}

void TFPrefs::FormShow()
{
    if (FMainWindow) {
        int statusLeft = 0;
        int statusWidth = FMainWindow->width();
        if (FStatusLine) {
            statusLeft = FMainWindow->isAncestorOf(FStatusLine)
                ? FStatusLine->mapTo(FMainWindow.data(), QPoint(0, 0)).x()
                : FStatusLine->x();
            statusWidth = FStatusLine->width();
        }
        TWindowFrame::PlaceAt(*this, [this, statusLeft, statusWidth](const QSize& frame) {
            const QRect main = FMainWindow ? FMainWindow->frameGeometry() : QRect();
            return QPoint(
                main.left() + statusLeft + statusWidth / 2 - frame.width() / 2, main.top() + 70);
        });
    }
    ActivateAbove(*this, FMainWindow);
}

void TFPrefs::FormActivate()
{
    RefreshFromSettings();
}

void TFPrefs::FormClose()
{
    RefreshFromSettings();
}

void TFPrefs::CheckBox1Click()
{
    UpdateDefaultDirControls();
}

void TFPrefs::CheckBox2Click()
{
    ColumnVisibleClick(0);
}

void TFPrefs::CheckBox3Click()
{
    ColumnVisibleClick(1);
}

void TFPrefs::CheckBox4Click()
{
    ColumnVisibleClick(2);
}

void TFPrefs::CheckBox5Click()
{
    ColumnVisibleClick(3);
}

void TFPrefs::CheckBox6Click()
{
    Settings().BeepWhenFinished = FUi->CheckBox6->isChecked();
}

void TFPrefs::CheckBox7Click()
{
    Settings().PlayWhenFinished = FUi->CheckBox7->isChecked();
}

void TFPrefs::DirectoryListBox1Change()
{
    if (!FStandingIn)
        Settings().DefaultDir = FUi->DirectoryListBox1->Directory();
}

void TFPrefs::RadioButton1Click()
{
    FGameDoctor.SetPortChoice({ ppLPT1, std::nullopt });
    Settings().PortIsLPT1 = true;
    Settings().PortAddress.clear();
}

void TFPrefs::RadioButton2Click()
{
    FGameDoctor.SetPortChoice({ ppLPT2, std::nullopt });
    Settings().PortIsLPT1 = false;
    Settings().PortAddress.clear();
}

void TFPrefs::RadioButton3Click()
{
    QString error;
    const std::optional<std::uint16_t> address = ChosenPortAddress(error);
    if (address) {
        // A delivery under way keeps its port; the component takes this one for the next.
        FGameDoctor.SetPortChoice({ ppLPT1, *address });
        // TransferPort1 keeps the last LPT choice, for programs that know only that key.
        Settings().PortAddress = TPortAddress::Text(*address);
        ShowPortAddress(*address);
        return;
    }
    // Nothing is applied: the choice in effect shows again.
    if (const std::optional<std::uint16_t> stored = TSettingsFile::ChosenAddress(Settings()))
        ShowPortAddress(*stored);
    else if (Settings().PortIsLPT1)
        FUi->RadioButton1->setChecked(true);
    else
        FUi->RadioButton2->setChecked(true);
    FApplication.ShowException(error);
}

void TFPrefs::ComboBox1Change()
{
    ChoosePortAt();
}

void TFPrefs::ComboBox1Exit()
{
    // Leaving the box without typing in it chooses nothing.
    if (!FUi->ComboBox1->lineEdit()->isModified())
        return;
    FUi->ComboBox1->lineEdit()->setModified(false);
    ChoosePortAt();
}

void TFPrefs::SpeedButton1Click()
{
    // The button takes no focus, so a width typed but not yet confirmed would be lost.
    for (int column = 0; column < HeaderButtonCount; ++column)
        if (WidthBox(column)->isModified())
            ColumnWidthExit(column);
    // A failed save ends here: the window stays open and the main window disabled.
    FSettingsFile.SaveSettings();
    RefreshFromSettings();
    close();
}

void TFPrefs::SpeedButton2Click()
{
    FSettingsFile.LoadSettings();
    RefreshFromSettings();
    // Reloaded widths show at once, not only when the main window is next activated.
    if (FHost.ApplyColumnLayout)
        FHost.ApplyColumnLayout();
    close();
}

void TFPrefs::SpeedButton3Click()
{
    if (FHost.ShowWaveChooser)
        FHost.ShowWaveChooser();
}

void TFPrefs::SpeedButton4Click()
{
    // The typed path is played but not kept; only the chooser sets WaveFile.
    if (FHost.PlayWaveFile)
        FHost.PlayWaveFile(FUi->Edit5->text());
}

void TFPrefs::Edit1Exit()
{
    ColumnWidthExit(0);
}

void TFPrefs::Edit2Exit()
{
    ColumnWidthExit(1);
}

void TFPrefs::Edit3Exit()
{
    ColumnWidthExit(2);
}

void TFPrefs::Edit4Exit()
{
    ColumnWidthExit(3);
}

TSettings& TFPrefs::Settings() const
{
    return FSettingsFile.Settings;
}

void TFPrefs::ShowDefaultDir()
{
    try {
        FUi->DirectoryListBox1->SetDirectory(Settings().DefaultDir);
        return;
    } catch (const EInOutError&) {
    }
    // The folder has gone (a deleted folder, a medium taken out): the list shows the home
    // folder, the refresh goes on, and DefaultDir stays as stored until the user picks one,
    // so a medium plugged in again finds its choice still there.
    const QScopedValueRollback standingIn(FStandingIn, true);
    try {
        FUi->DirectoryListBox1->SetDirectory(QDir::homePath());
    } catch (const EInOutError&) {
        // Not even the home folder can be read: the list stays where it was.
    }
}

void TFPrefs::ColumnVisibleClick(int column)
{
    const std::array<QCheckBox*, HeaderButtonCount> boxes { FUi->CheckBox2, FUi->CheckBox3,
        FUi->CheckBox4, FUi->CheckBox5 };
    Settings().ColumnVisible[column] = boxes[column]->isChecked();
    if (FHost.ApplyColumnLayout)
        FHost.ApplyColumnLayout();
}

void TFPrefs::ColumnWidthExit(int column)
{
    QLineEdit* box = WidthBox(column);
    qint32& width = Settings().ColumnWidth[column];
    bool number = false;
    const int typed = box->text().trimmed().toInt(&number);
    if (number && typed >= MinimumColumnWidth && typed <= MaximumColumnWidth && typed != width) {
        width = typed;
        if (FHost.ApplyColumnLayout)
            FHost.ApplyColumnLayout();
    }
    // Anything else puts the current width back.
    box->setText(QString::number(width));
}

QLineEdit* TFPrefs::WidthBox(int column) const
{
    const std::array<QLineEdit*, HeaderButtonCount> boxes { FUi->Edit1, FUi->Edit2, FUi->Edit3,
        FUi->Edit4 };
    return boxes[column];
}

void TFPrefs::ChoosePortAt()
{
    if (FUi->RadioButton3->isChecked())
        RadioButton3Click();
    else
        FUi->RadioButton3->setChecked(true);
}

void TFPrefs::FillPortList()
{
    FKernelPorts = FHost.KernelPorts ? FHost.KernelPorts() : TKernelPortList();
    QComboBox& box = *FUi->ComboBox1;
    const QSignalBlocker quiet(box);
    const QString shown = box.currentText();
    box.clear();
    for (const TKernelPort& port : FKernelPorts.Ports())
        box.addItem(QStringLiteral("%1 (%2)").arg(TPortAddress::Text(port.Base), port.Name));
    box.setEditText(shown);
}

void TFPrefs::ShowPortAddress(std::uint16_t address)
{
    QComboBox& box = *FUi->ComboBox1;
    const QSignalBlocker quiet(box);
    QString text = TPortAddress::Text(address);
    if (const TKernelPort* port = FKernelPorts.FindBase(address))
        text += QStringLiteral(" (%1)").arg(port->Name);
    const int index = box.findText(text);
    if (index >= 0)
        box.setCurrentIndex(index);
    box.setEditText(text);
    box.lineEdit()->setModified(false);
}

std::optional<std::uint16_t> TFPrefs::ChosenPortAddress(QString& error) const
{
    // A listed entry reads "0xD010 (parport1)"; the address comes first.
    const QString typed = FUi->ComboBox1->currentText().trimmed().section(QLatin1Char(' '), 0, 0);
    if (typed.isEmpty()) {
        error = QStringLiteral("Choose a parallel port from the list beside \"Port at:\", or type "
                               "its hexadecimal address (0xD010).");
        return std::nullopt;
    }
    const std::optional<std::uint16_t> address = TPortAddress::Parse(typed, FKernelPorts, &error);
    if (!address)
        return std::nullopt;
    const bool stored = TSettingsFile::ChosenAddress(Settings()) == address;
    if (*address == TPortAddress::LPT1 || *address == TPortAddress::LPT2
        || FKernelPorts.FindBase(*address) || stored)
        return address;
    QStringList known;
    for (const TKernelPort& port : FKernelPorts.Ports())
        known << TPortAddress::Text(port.Base) + QStringLiteral(" (") + port.Name
                + QLatin1Char(')');
    error = QStringLiteral("There is no parallel port at %1. ").arg(TPortAddress::Text(*address))
        + (known.isEmpty() ? FKernelPorts.EmptyText()
                           : QStringLiteral("The kernel lists %1; LPT1 (0x378) and LPT2 (0x278) "
                                            "may be chosen as well.")
                                 .arg(known.join(QStringLiteral(", "))));
    return std::nullopt;
}
