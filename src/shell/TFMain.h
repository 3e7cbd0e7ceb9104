#pragma once

#include "delivery/TDeliveryRow.h"
#include "framework/TEventBinding.h"
#include "image/TImageChecksum.h"
#include "shell/TSettingsFile.h"

#include <QDeadlineTimer>
#include <QKeySequence>
#include <QList>
#include <QMargins>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QMoveEvent;
class QResizeEvent;
class QLabel;
class QTimer;
class TApplication;
class TBeeper;
class TFileListBox;
class TGameDoctor;
class TMongo;
class TPanel;
class TSpeedButton;
class TVerInfo;
class TWavePlayer;

namespace Ui {
class TFMain;
}

// The main window: the toolbar, the left pane that chooses what the catalogue table lists
// (drive box, file-type filter, directory tree, the rename panel), the column header and
// the table, and the status line. It owns the transfer component, the hidden file list,
// the media player, the version reader and the timer that defers every catalogue scan, and
// it keeps the settings file that every window shares.
//
// The other windows reach what they need through the public members below; each one is
// handed in once it exists (SetPreferencesWindow, SetAboutWindow, SetDeliveryJob).
class TFMain : public QWidget
{
    Q_OBJECT

public:
    // The settings file lives beside programFile (TSettingsFile decides the folder). The
    // window reads it, or creates it, while it is being built; handler errors go to
    // application's error box. Build it, then show it.
    TFMain(TApplication& application, const QString& programFile, QWidget* parent = nullptr);
    ~TFMain() override;

    // -- For the other windows ---------------------------------------------------------

    TApplication& Application() const { return FApplication; }
    // Conveyor.ini and the Settings record every window edits live.
    TSettingsFile& SettingsFile() { return FSettingsFile; }
    TSettings& Settings() { return FSettingsFile.Settings; }
    // The transfer component; its port and port I/O are chosen by whoever owns the device
    // (the preferences for LPT1/LPT2, the entry for a simulator).
    TGameDoctor& GameDoctor1() { return *FGameDoctor1; }
    // Plays the completion sound and the previews.
    TWavePlayer& MediaPlayer1() { return *FMediaPlayer1; }
    // The beep of a finished delivery; the entry hands it the system's beep.
    TBeeper& Beeper() { return *FBeeper; }
    const TVerInfo& VerInfo1() const { return *FVerInfo1; }

    // Lays out the column header, the table's columns and the left pane's choosers from
    // Settings. The preferences call it after a column was shown or hidden.
    void ApplyColumnLayout();

    // The status line (Label6): one text at a time, blanks kept.
    void SetStatusText(const QString& text);
    QString StatusText() const;
    // The status line's panel, along the bottom edge.
    TPanel* Panel2() const;

    // The listed directory with its trailing "/": a row's file is this + its real name.
    QString SelectedDirectory() const;
    // The table's current row as "Deliver" sends it: the image name, the size text, the
    // upper-cased file name and the path of the file on disk. Empty texts without a file.
    TDeliveryRow CurrentDeliveryRow() const;
    // The television system of the image examined last ("GER", "USA", "JAP", "PAL" or
    // empty).
    const QString& CurrentSystem() const { return FCurrentSystem; }

    // The windows "Preferences" and "About" show. While one is open the main window is
    // disabled; the window enables it again (setEnabled(true)) when it closes. They must
    // be windows of their own, not children of this one, or they would be disabled too.
    void SetPreferencesWindow(QWidget* window);
    void SetAboutWindow(QWidget* window);
    // What "Deliver" runs: the delivery job, which checks the selected row itself. The job
    // must outlive the window's use of it.
    void SetDeliveryJob(TMongo& job);
    // "Deliver" is disabled while a delivery runs.
    void SetDeliverEnabled(bool enabled);

    // Appends to the caption and to the application's title, which the error boxes show:
    // the entry marks a simulated device this way.
    void AppendToCaption(const QString& text);

    // Opens a folder, or the folder of a file with the file's row current once it is listed;
    // when the filter would not list the file it switches to the first item that does. What
    // cannot be opened is said on the status line. The path is absolute, raw text. A start
    // with a path, a drop and a second start open theirs this way.
    void OpenPath(const QString& path);

    // -- The catalogue ------------------------------------------------------------------

    // The toolbar's keys: the program's own first, then the desktop's standard ones.
    enum TShortcut
    {
        scDeliver,
        scRename,
        scRefresh,
        scPreferences,
        scAbout,
        scQuit
    };
    static QList<QKeySequence> Shortcuts(TShortcut shortcut);
    // Whether the platform lets a program place its windows (not so on Wayland).
    static bool CanPlaceWindows();

    // The 9 x 13 header markers: 0 descending, 1 ascending, 2 none.
    const QList<QPixmap>& ImageList1() const { return FImageList1; }

signals:
    // A scan has filled the table.
    void CatalogueRead();
    // The window has closed, its settings saved; the program ends now.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // -- Handlers, bound in the window's event table -----------------------------------

    void FormCreate();
    void FormActivate();
    void FormResize();
    void FormClose();
    void Timer1Timer();
    void Panel12Resize(); // the header's "Image Name" panel, which fills the header
    void Splitter1Moved(); // after "Filename"
    void Splitter2Moved(); // after "Ext"
    void Splitter3Moved(); // before "Mbit"
    void Splitter4Moved(); // the pane splitter
    void SpeedButton2Click(); // "Filename"
    void SpeedButton3Click(); // "Ext"
    void SpeedButton4Click(); // "Image Name"
    void SpeedButton5Click(); // "Mbit"
    void SpeedButton6Click(); // apply the new name
    void SpeedButton8Click(); // "Deliver"
    void SpeedButton9Click(); // "Rename"
    void SpeedButton10Click(); // "Refresh Dir"
    void SpeedButton11Click(); // "Preferences"
    void SpeedButton12Click(); // "About"
    void SpeedButton13Click(); // "Quit"
    void DriveComboBox1Change();
    void DirectoryListBox1Change();
    void FileListBox1Change();
    void ComboBox1Change(); // the file-type filter
    void StringGrid1Click();
    void Edit1Change(); // the new name
    void Edit1KeyUp();
    void CheckBox1Click(); // "Add system to extension"

    // -- The window's own steps -------------------------------------------------------

    // Lists the file list's folder with its mask into the table, sorted by file name as
    // conveyor-cli list prints it, and shows the first row in the current-status group.
    void ReadCatalogue();
    // Fills the current-status group and CurrentSystem from the current row.
    void ShowCurrentImage();
    void UpdateNewNamePreview();
    // Says on the status line whether the header checksums of the image ShowCurrentImage
    // examined match (read with it: a megabyte, for the current row only).
    void ShowChecksumVerdict();
    // The extension of the current file's byte order (".v64", ".z64", ".n64"), or "." and
    // the current system when the check box asks for it.
    QString NewNameExtension() const;
    // Another file of the folder whose name differs from newName only in letter case; empty
    // when there is none.
    QString CaseClash(const QString& directory, const QString& newName) const;
    // Gives a header button (0 "Filename" to 3 "Mbit") picture index of ImageList1.
    void SetHeaderGlyph(int button, int index);
    // The header buttons and the table's columns to the widths of the header panels.
    void LineUpColumns();
    void InstallShortcuts();
    TSpeedButton* HeaderButton(int button) const;
    QWidget* HeaderPanel(int button) const;
    // Sets the markers from the sort in force; all blank while the table holds no file.
    void ShowSortMarkers();
    void HeaderButtonClick(int column);
    void StoreColumnWidths();
    void SetLeftPaneWidth(int width);
    void ChooseStartDirectory();
    // The row of the scanned rows that OpenPath asked for, or the first.
    int TakeOpenedRow(const std::vector<std::vector<QString>>& rows);
    // The frame the settings store, kept where its title bar can be reached.
    QRect StoredFrame() const;
    void SelectFilterItem(const QString& mask);
    void ShowDialog(QWidget* window);
    TSettingsFile::TWindowLayout CurrentWindowLayout() const;
    // Records the inside while the window is neither maximised, minimised nor full screen.
    void KeepNormalFrame();
    // A window started maximised and then restored takes its stored frame, and takes it
    // again if the frame's margins change soon after.
    void PlaceRestoredFrame();
    // Neither maximised, minimised nor full screen.
    bool InNormalState() const;
    void FollowRestoredMargins();
    // The window manager's frame around the inside, as Qt knows it now.
    QMargins FrameMargins() const;
    std::span<const QString> CurrentRow() const;
    static const TEventBinding<TFMain, Ui::TFMain> EventTable[];

    TApplication& FApplication;
    std::unique_ptr<Ui::TFMain> FUi;
    TSettingsFile FSettingsFile;
    std::unique_ptr<TGameDoctor> FGameDoctor1;
    std::unique_ptr<TWavePlayer> FMediaPlayer1;
    std::unique_ptr<TBeeper> FBeeper;
    std::unique_ptr<TVerInfo> FVerInfo1;
    TFileListBox* FFileListBox1;
    QTimer* FTimer1;
    QList<QPixmap> FImageList1;
    QString FCurrentSystem;
    // The name on disk of the file the current-status group shows: the one a rename
    // renames.
    QString FShownRealName;
    // What a rename without the system appends: the extension of the shown file's order;
    // empty before any file was shown.
    QString FPlainExtension;
    // The shown row is an archive renamed with its own extension (FOwnExtension), or one of
    // several images of an archive, which cannot be renamed.
    bool FKeepsExtension = false;
    QString FOwnExtension;
    bool FShownInsideArchive = false;
    // The header checksums of the shown image, read with it.
    std::optional<TImageCheck> FShownCheck;
    // The checksum verdict last put on the status line.
    QString FShownVerdict;
    // The file OpenPath asked for, made current by the next scan, and what the status line
    // says after that scan instead of the row's verdict.
    QString FOpenedName;
    QString FOpenedStatus;
    QPointer<QWidget> FPreferencesWindow;
    QPointer<QWidget> FAboutWindow;
    TMongo* FDeliveryJob = nullptr;
    bool FCreated = false;
    // The user chose to go on with a delivery rather than close.
    bool FKeepOpen = false;
    // The inside of the window in its last normal state and the one before it, kept while
    // it is maximised.
    QRect FNormalGeometry;
    QRect FPreviousNormalGeometry;
    QMargins FNormalMargins;
    // The stored frame of a window started maximised, until it is first restored.
    QRect FStartFrame;
    // After that restore, the frame placed, the margins it was placed with and until when a
    // change of the margins places it again.
    QRect FRestoredFrame;
    QMargins FRestoredMargins;
    QDeadlineTimer FRestoredUntil;
};
