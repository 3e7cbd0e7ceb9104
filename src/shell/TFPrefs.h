#pragma once

#include "platform/port/TKernelPortList.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class TApplication;
class TGameDoctor;
class TSettingsFile;
struct TSettings;

namespace Ui {
class TFPrefs;
}

// The preferences window: the default directory or the last one, the visible columns and
// their widths, the transfer port and the completion sound. Its controls edit the settings
// record live, and column and port changes take effect in the main window and the transfer
// component at once; "Save Prefs" writes the file, "Cancel" reads it back, which undoes the
// changes. Setting a control from code runs its handler as a click would, so the refresh at
// creation carries a stored LPT2 choice or port address and hidden columns into effect.
//
// It is created once, after the main window, and shown without waiting by the main window,
// which disables itself first; every way out enables the main window again. The window has no
// parent: a disabled parent would disable its child windows along with itself.
class TFPrefs : public QWidget
{
    Q_OBJECT

public:
    // What this window needs of the main window, which supplies it.
    struct THost
    {
        // Enabled again on every way out; this window is placed 70 pixels below its top.
        QWidget* MainWindow = nullptr;
        // The status line, a widget inside MainWindow: this window is centred on it
        // horizontally when shown.
        QWidget* StatusLine = nullptr;
        // Sizes the column header and the table from the settings.
        std::function<void()> ApplyColumnLayout;
        // Shows the wave-file chooser without waiting; this window stays enabled.
        std::function<void()> ShowWaveChooser;
        // Plays one wave file; may raise EMCIDeviceError.
        std::function<void(const QString& path)> PlayWaveFile;
        // The parallel ports the kernel lists now, offered by the "Port at:" drop-down and
        // the only addresses besides LPT1 and LPT2 it accepts.
        std::function<TKernelPortList()> KernelPorts;
    };

    static constexpr int MinimumColumnWidth = 30;
    static constexpr int MaximumColumnWidth = 1000;

    // Refreshes the controls from the settings, which applies the stored port and columns.
    // Everything passed in must outlive the window.
    TFPrefs(TApplication& application, TSettingsFile& settingsFile, TGameDoctor& gameDoctor,
        const THost& host);
    ~TFPrefs() override;

private:
    // Handlers, bound in the window's event table.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void CheckBox1Click(); // "Remember last directory you browsed ..."
    void CheckBox2Click(); // "Filename"
    void CheckBox3Click(); // "Extension"
    void CheckBox4Click(); // "Image Name"
    void CheckBox5Click(); // "MegaBit"
    void CheckBox6Click(); // "Beep when finished:"
    void CheckBox7Click(); // "Play selected wavefile then finished:"
    void DirectoryListBox1Change();
    void RadioButton1Click(); // "Port LPT1:"
    void RadioButton2Click(); // "Port LPT2:"
    void RadioButton3Click(); // "Port at:"
    // The drop-down beside "Port at:": a port picked from the list, or an address typed.
    void ComboBox1Change();
    void ComboBox1Exit();
    void SpeedButton1Click(); // "Save Prefs"
    void SpeedButton2Click(); // "Cancel"
    void SpeedButton3Click(); // "..."
    void SpeedButton4Click(); // ">"
    // A width box confirmed by Enter or by leaving it.
    void Edit1Exit();
    void Edit2Exit();
    void Edit3Exit();
    void Edit4Exit();

    // Sets every control from the settings, in an order that lets each handler see the
    // values set before it.
    void RefreshFromSettings();
    // Makes RememberLastDir follow CheckBox1 and greys or frees the default-directory chooser.
    void UpdateDefaultDirControls();
    TSettings& Settings() const;
    void ShowDefaultDir();
    void ColumnVisibleClick(int column);
    void ColumnWidthExit(int column);
    QLineEdit* WidthBox(int column) const;
    // Fills the drop-down with the ports the kernel lists, keeping the text shown.
    void FillPortList();
    void ShowPortAddress(std::uint16_t address);
    // The port the drop-down names, if it is one the kernel lists, LPT1, LPT2 or the stored
    // choice; otherwise nothing, and error says why.
    std::optional<std::uint16_t> ChosenPortAddress(QString& error) const;
    void ChoosePortAt();

    std::unique_ptr<Ui::TFPrefs> FUi;
    TApplication& FApplication;
    TSettingsFile& FSettingsFile;
    TGameDoctor& FGameDoctor;
    THost FHost;
    QPointer<QWidget> FMainWindow;
    QPointer<QWidget> FStatusLine;
    // The directory list shows the home folder in place of a default directory that has
    // gone; the stored choice stays until the user picks a folder.
    bool FStandingIn = false;
    TKernelPortList FKernelPorts;
};
