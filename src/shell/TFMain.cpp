#include "TFMain.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/FileFilters.h"
#include "catalogue/HeaderButtons.h"
#include "catalogue/ListCatalogue.h"
#include "catalogue/StatusTexts.h"
#include "catalogue/TCurrentImage.h"
#include "catalogue/TImageHeader.h"
#include "delivery/TMongo.h"
#include "device/TGameDoctor.h"
#include "framework/FrameworkPictures.h"
#include "framework/TAlignLayout.h"
#include "framework/TApplication.h"
#include "framework/TEventBinder.h"
#include "framework/TFileListBox.h"
#include "framework/TOwnedDialog.h"
#include "framework/TVolume.h"
#include "framework/TWindowFrame.h"
#include "image/TImageChecksum.h"
#include "platform/EInOutError.h"
#include "platform/EIniFileException.h"
#include "platform/FileAccess.h"
#include "platform/FileListing.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"
#include "platform/RenameFile.h"
#include "platform/TBeeper.h"
#include "platform/TVerInfo.h"
#include "platform/TWavePlayer.h"
#include "platform/UpperCase.h"
#include "shell/ShellPictures.h"
#include "shell/TOpenTarget.h"
#include "ui_TFMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace {

// How many characters can be typed into the new-name edit; a longer name put there by the
// program stays whole.
constexpr int NewNameTypingLimit = 8;

// The status line's verdict on the header checksums of the chosen row's image, in the
// words conveyor-cli info uses: " Checksums match (boot code 6102)", " Warning: checksums
// do not match", " Checksums cannot be checked (unknown boot code)".
QString ChecksumStatusText(const TImageCheck& check)
{
    const QString verdict = ChecksumVerdictText(check.Verdict);
    if (check.Verdict == cvMismatch)
        return QStringLiteral(" Warning: ") + verdict;
    if (check.Verdict == cvMatch)
        return QStringLiteral(" ") + verdict.at(0).toUpper() + verdict.mid(1)
            + QStringLiteral(" (boot code %1)").arg(BootCodeText(check.BootCode));
    return QStringLiteral(" Checksums ") + verdict;
}

// The designed place of the window; a first start writes it into the new settings file.
constexpr int DesignedLeft = 329;
constexpr int DesignedTop = 123;

// How much of the top of the window must lie on a screen for its title bar to be reached.
constexpr int TitleBarReach = 20;

// The 3-pixel splitter that follows each of the first three header panels.
constexpr int HeaderSplitterWidth = 3;

// Puts text into an edit whose typing limit it may exceed. A line edit cuts any text to
// its maximum length, so the limit is raised to the text's length; typing cannot add to
// such a text, deleting lowers the limit again until it is back at its own.
void SetLongText(QLineEdit* edit, const QString& text, int typingLimit)
{
    edit->setMaxLength(std::max<int>(typingLimit, int(text.size())));
    edit->setText(text);
}

// A name the rename may use: no path separator or other character a file name cannot hold,
// and not a name of the folder itself or its parent.
bool IsPlainFileName(const QString& name)
{
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
#ifdef Q_OS_WIN
    const QString refused = QStringLiteral("\\/:*?\"<>|");
#else
    const QString refused = QStringLiteral("/");
#endif
    return std::none_of(name.begin(), name.end(),
        [&refused](QChar c) { return c.isNull() || refused.contains(c); });
}

} // namespace

const TEventBinding<TFMain, Ui::TFMain> TFMain::EventTable[] = {
    { ekCreate, &TFMain::FormCreate },
    { ekActivate, &TFMain::FormActivate },
    { ekResize, &TFMain::FormResize },
    { ekClose, &TFMain::FormClose },
    { &TFMain::FTimer1, ekTimer, &TFMain::Timer1Timer },
    { &Ui::TFMain::Panel12, ekResize, &TFMain::Panel12Resize },
    { &Ui::TFMain::Splitter1, ekMoved, &TFMain::Splitter1Moved },
    { &Ui::TFMain::Splitter2, ekMoved, &TFMain::Splitter2Moved },
    { &Ui::TFMain::Splitter3, ekMoved, &TFMain::Splitter3Moved },
    { &Ui::TFMain::Splitter4, ekMoved, &TFMain::Splitter4Moved },
    { &Ui::TFMain::SpeedButton2, ekClick, &TFMain::SpeedButton2Click },
    { &Ui::TFMain::SpeedButton3, ekClick, &TFMain::SpeedButton3Click },
    { &Ui::TFMain::SpeedButton4, ekClick, &TFMain::SpeedButton4Click },
    { &Ui::TFMain::SpeedButton5, ekClick, &TFMain::SpeedButton5Click },
    { &Ui::TFMain::SpeedButton6, ekClick, &TFMain::SpeedButton6Click },
    { &Ui::TFMain::SpeedButton8, ekClick, &TFMain::SpeedButton8Click },
    { &Ui::TFMain::SpeedButton9, ekClick, &TFMain::SpeedButton9Click },
    { &Ui::TFMain::SpeedButton10, ekClick, &TFMain::SpeedButton10Click },
    { &Ui::TFMain::SpeedButton11, ekClick, &TFMain::SpeedButton11Click },
    { &Ui::TFMain::SpeedButton12, ekClick, &TFMain::SpeedButton12Click },
    { &Ui::TFMain::SpeedButton13, ekClick, &TFMain::SpeedButton13Click },
    { &Ui::TFMain::DriveComboBox1, ekChange, &TFMain::DriveComboBox1Change },
    { &Ui::TFMain::DirectoryListBox1, ekChange, &TFMain::DirectoryListBox1Change },
    { &TFMain::FFileListBox1, ekChange, &TFMain::FileListBox1Change },
    { &Ui::TFMain::ComboBox1, ekChange, &TFMain::ComboBox1Change },
    { &Ui::TFMain::StringGrid1, ekClick, &TFMain::StringGrid1Click },
    { &Ui::TFMain::Edit1, ekChange, &TFMain::Edit1Change },
    { &Ui::TFMain::Edit1, ekKeyUp, &TFMain::Edit1KeyUp },
    { &Ui::TFMain::CheckBox1, ekClick, &TFMain::CheckBox1Click },
};

TFMain::TFMain(TApplication& application, const QString& programFile, QWidget* parent)
    : QWidget(parent)
    , FApplication(application)
    , FUi(std::make_unique<Ui::TFMain>())
    , FSettingsFile(TSettingsFile::ProgramDirectoryOf(programFile))
    , FGameDoctor1(std::make_unique<TGameDoctor>())
    , FMediaPlayer1(std::make_unique<TWavePlayer>())
    , FBeeper(std::make_unique<TBeeper>())
    , FVerInfo1(std::make_unique<TVerInfo>())
{
    InitFrameworkPictures();
    InitShellPictures();
    FUi->setupUi(this);
    for (const TFileFilter& filter : FileFilters)
        FUi->ComboBox1->addItem(filter.Caption);
    move(DesignedLeft, DesignedTop);
    FGameDoctor1->setObjectName(QStringLiteral("GameDoctor1"));
    FVerInfo1->setObjectName(QStringLiteral("VerInfo1"));

    FFileListBox1 = new TFileListBox(this);
    FFileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FTimer1 = new QTimer(this);
    FTimer1->setObjectName(QStringLiteral("Timer1"));
    FTimer1->setSingleShot(true);
    FTimer1->setInterval(1);

    FImageList1 = { QPixmap(QStringLiteral(":/images/header-descending.png")),
        QPixmap(QStringLiteral(":/images/header-ascending.png")),
        QPixmap(QStringLiteral(":/images/header-blank.png")) };

    TSortedStringGrid* grid = FUi->StringGrid1;
    grid->SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect
        | goThumbTracking);
    grid->SetScrollBars(ssVertical);
    // The columns beyond "Mbit" hold what the window needs, not what the user reads; the
    // grid never scrolls sideways, so they take no room either.
    for (int column = ccBlank; column < grid->ColCount(); ++column)
        grid->setColumnHidden(column, true);
    grid->SetTypeAheadColumn(ccBaseName);
    FUi->Panel8->SetColor(palette().color(QPalette::Base));

    // The file list follows the directory tree, which follows the drive box.
    FUi->DirectoryListBox1->AddLink(
        this, [this](const QString& directory) { FFileListBox1->SetDirectory(directory); });
    FUi->DriveComboBox1->SetDirList(FUi->DirectoryListBox1);

    InstallShortcuts();
    // A file or folder dropped on the window opens as one named on the command line.
    setAcceptDrops(true);

    FSettingsFile.WindowLayout = [this] { return CurrentWindowLayout(); };
    TAlignLayout::Install(this);
    TEventBinder::Bind(FApplication, *this, *FUi, std::span(EventTable));
    FCreated = true;
    // Armed only now, so the first scan lists what start-up chose, even when a step of
    // start-up failed.
    FTimer1->start();
}

TFMain::~TFMain() = default;

// -- For the other windows -------------------------------------------------------------

void TFMain::SetStatusText(const QString& text)
{
    FUi->Label6->setText(text);
}

QString TFMain::StatusText() const
{
    return FUi->Label6->text();
}

TPanel* TFMain::Panel2() const
{
    return FUi->Panel2;
}

QString TFMain::SelectedDirectory() const
{
    return ::SelectedDirectory(FFileListBox1->Directory());
}

std::span<const QString> TFMain::CurrentRow() const
{
    return FUi->StringGrid1->RowTexts(FUi->StringGrid1->Row());
}

TDeliveryRow TFMain::CurrentDeliveryRow() const
{
    const TSortedStringGrid* grid = FUi->StringGrid1;
    const int row = grid->Row();
    return { grid->Cells(ccImageName, row), grid->Cells(ccSize, row), grid->Cells(ccFileName, row),
        CatalogueRowSource(SelectedDirectory(), grid->RowTexts(row)) };
}

void TFMain::SetPreferencesWindow(QWidget* window)
{
    FPreferencesWindow = window;
}

void TFMain::SetAboutWindow(QWidget* window)
{
    FAboutWindow = window;
}

void TFMain::SetDeliveryJob(TMongo& job)
{
    FDeliveryJob = &job;
}

void TFMain::SetDeliverEnabled(bool enabled)
{
    FUi->SpeedButton8->setEnabled(enabled);
}

void TFMain::AppendToCaption(const QString& text)
{
    const QString caption = windowTitle() + text;
    setWindowTitle(caption);
    FApplication.SetTitle(caption);
}

void TFMain::OpenPath(const QString& path)
{
    const TOpenTarget target = TOpenTarget::Examine(path);
    if (target.Folder.isEmpty()) {
        // The window goes on with what it shows; a scan on its way would cover the reason.
        if (FTimer1->isActive())
            FOpenedStatus = target.Problem;
        else
            SetStatusText(target.Problem);
        return;
    }
    try {
        FUi->DirectoryListBox1->SetDirectory(target.Folder);
    } catch (const EInOutError& error) {
        SetStatusText(QLatin1Char(' ') + error.Message());
        return;
    }
    // The filter's change handler lists with the new mask and saves it, as a choice of the
    // user's would.
    if (!target.FileName.isEmpty()) {
        const std::optional<int> item
            = TOpenTarget::FilterItemListing(target.FileName, FFileListBox1->Mask());
        if (item)
            FUi->ComboBox1->setCurrentIndex(*item);
    }
    FOpenedName = target.FileName;
    FOpenedStatus = target.Problem;
    // The folder shown already is read again: the file may be new in it.
    if (!FTimer1->isActive())
        FFileListBox1->Update();
}

void TFMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        // Copy, whatever the source proposes: a move would let a file manager delete the
        // file it thinks has moved here.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void TFMain::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    const auto local
        = std::find_if(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    if (local == urls.end())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The path's bytes as the URL carries them, so that a name in Latin-1 stays the same.
    const QByteArray bytes
        = QByteArray::fromPercentEncoding(local->path(QUrl::FullyEncoded).toLatin1());
    const QString path = DecodeRawText(bytes);
    FApplication.Guard([this, path] { OpenPath(QDir::cleanPath(path)); });
}

// -- Start-up and layout ---------------------------------------------------------------

void TFMain::FormCreate()
{
    // The caption and the application's title come first: the error boxes carry the title,
    // so an error raised by any later step is shown under the program's name.
    const QString caption = QStringLiteral("Conveyor v") + FVerInfo1->FileVersion();
    setWindowTitle(caption);
    FApplication.SetTitle(caption);

    // What a load falls back to: centred at the designed size, the designed columns. These go
    // into the record before the file is read, because a missing key keeps what the record
    // holds.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(width(), height());
    FSettingsFile.SetStartupDefaults(
        screenSize.width(), screenSize.height(), CurrentWindowLayout());

    // ProgramDirectory was found when the settings file was made, beside programFile.
    // The events already queued run once before the file work starts, so the start-up
    // picture is painted and answers while the settings are read and the first folder is
    // opened, which may take a moment on a slow drive.
    FApplication.ProcessMessages();

    // A first start writes the file with the first-start values, so the user finds one to
    // edit. A last directory that has gone since is replaced before anything opens it.
    if (FSettingsFile.Exists()) {
        // A file that cannot be read (a FIFO, a device) is told once, and the program starts
        // as on a first start, without the rest of start-up being given up for it.
        try {
            FSettingsFile.LoadSettings();
        } catch (const EIniFileException& error) {
            FApplication.ShowException(error.Message());
        }
    } else
        FSettingsFile.SaveSettings();
    FSettingsFile.CheckLastDir();

    // The window opens where it was left, or centred on a first start. The stored bounds are
    // those of its outer frame.
    const TSettings& settings = Settings();
    const QRect frame = StoredFrame();
    TWindowFrame::Place(*this, [frame](const QMargins&) { return frame; });
    // A window maximised when it was left comes back maximised, and restoring it gives back
    // the place and size it had before.
    FNormalGeometry = geometry();
    FPreviousNormalGeometry = FNormalGeometry;
    if (settings.WindowMaximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
        FStartFrame = frame;
    }
    SetLeftPaneWidth(settings.LeftPaneWidth);

    // Then what the window shows: the start folder, the columns, the saved mask and its
    // filter entry. The listing waits for Timer1, so it runs once, with the mask in force.
    ChooseStartDirectory();
    ApplyColumnLayout();
    Settings().Wildcard = CurrentFileMask(Settings().Wildcard);
    FFileListBox1->SetMask(Settings().Wildcard);
    SelectFilterItem(Settings().Wildcard);

    // The delivery job (TMongo) needs the progress window, which is created after this
    // window; the program's entry creates the job, suspended, and hands it in through
    // SetDeliveryJob.
}

QList<QKeySequence> TFMain::Shortcuts(TShortcut shortcut)
{
    // The desktop's own binding comes first where it has one, so menus and tool tips show
    // what the user knows from other programs; the program's key is kept beside it.
    struct TKeys
    {
        QKeySequence::StandardKey Standard;
        QKeySequence Own;
    };
    static const TKeys keys[] = {
        { QKeySequence::UnknownKey, QKeySequence(Qt::CTRL | Qt::Key_D) }, // scDeliver
        { QKeySequence::UnknownKey, QKeySequence(Qt::Key_F2) }, // scRename
        { QKeySequence::Refresh, QKeySequence(Qt::Key_F5) }, // scRefresh
        { QKeySequence::Preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma) }, // scPreferences
        { QKeySequence::HelpContents, QKeySequence(Qt::Key_F1) }, // scAbout
        { QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q) }, // scQuit
    };
    const TKeys& chosen = keys[shortcut];
    QList<QKeySequence> sequences;
    if (chosen.Standard != QKeySequence::UnknownKey)
        sequences = QKeySequence::keyBindings(chosen.Standard);
    if (!sequences.contains(chosen.Own))
        sequences.prepend(chosen.Own);
    return sequences;
}

void TFMain::InstallShortcuts()
{
    // Each shortcut presses its button, so the key does exactly what the click does, through
    // the same handler, and nothing while the button is disabled.
    const auto bind = [this](TSpeedButton* button, const QList<QKeySequence>& keys) {
        auto* action = new QAction(button->text(), this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, button, [button] {
            if (button->isEnabled() && button->isVisible())
                button->click();
        });
        addAction(action);
        button->setToolTip(button->toolTip() + QStringLiteral(" (")
            + keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    };
    bind(FUi->SpeedButton8, Shortcuts(scDeliver));
    bind(FUi->SpeedButton9, Shortcuts(scRename));
    bind(FUi->SpeedButton10, Shortcuts(scRefresh));
    bind(FUi->SpeedButton11, Shortcuts(scPreferences));
    bind(FUi->SpeedButton12, Shortcuts(scAbout));
    bind(FUi->SpeedButton13, Shortcuts(scQuit));
    // Ctrl+1 to Ctrl+4 sort by the columns in header order; again reverses, as a click does.
    const Qt::Key digits[HeaderButtonCount] = { Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4 };
    for (int button = 0; button < HeaderButtonCount; ++button)
        bind(HeaderButton(button), { QKeySequence(Qt::CTRL | digits[button]) });

    // The toolbar is reached by Tab as well; the header buttons are reached by their keys.
    for (TSpeedButton* button : { FUi->SpeedButton8, FUi->SpeedButton9, FUi->SpeedButton10,
             FUi->SpeedButton11, FUi->SpeedButton12, FUi->SpeedButton13, FUi->SpeedButton6 })
        button->setFocusPolicy(Qt::TabFocus);
    // Enter in the new-name edit applies the name, as the button beside it does.
    connect(FUi->Edit1, &QLineEdit::returnPressed, FUi->SpeedButton6, [this] {
        if (FUi->SpeedButton6->isEnabled())
            FUi->SpeedButton6->click();
    });
}

QRect TFMain::StoredFrame() const
{
    const TSettings& settings = FSettingsFile.Settings;
    QRect frame(
        settings.WindowLeft, settings.WindowTop, settings.WindowWidth, settings.WindowHeight);
    // A place from a screen since unplugged or a hand-edited file may lie wholly outside
    // every screen; the window then comes back centred on the primary screen, so that its
    // title bar can be reached (and the next save stores a place that shows it).
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), TitleBarReach));
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()
        || std::any_of(screens.begin(), screens.end(), [&titleBar](const QScreen* screen) {
               return screen->availableGeometry().intersects(titleBar);
           }))
        return frame;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveCenter(area.center());
    return frame;
}

void TFMain::ChooseStartDirectory()
{
    const TSettings& settings = Settings();
    QString directory = settings.RememberLastDir ? settings.LastDir : settings.DefaultDir;
    // A default folder that has gone is treated like a last folder that has gone, so that
    // start-up goes on to its end.
    if (!IsFolder(directory))
        directory = QDir::homePath();
    try {
        FUi->DirectoryListBox1->SetDirectory(directory);
    } catch (const EInOutError& error) {
        // A folder that exists but cannot be read: say so and start at home.
        FApplication.ShowException(error.Message());
        FUi->DirectoryListBox1->SetDirectory(QDir::homePath());
    }
    // When the tree already showed that folder it raised no change, so the file list may
    // not have read it yet.
    FFileListBox1->SetDirectory(FUi->DirectoryListBox1->Directory());
}

void TFMain::SelectFilterItem(const QString& mask)
{
    // Chosen from code, as settings are applied: the mask is already in force and nothing
    // needs saving, so the change handler is not run.
    const QSignalBlocker quiet(FUi->ComboBox1);
    FUi->ComboBox1->setCurrentIndex(FileFilterIndex(mask));
}

void TFMain::SetLeftPaneWidth(int width)
{
    FUi->Panel17->resize(width, FUi->Panel17->height());
}

TSettingsFile::TWindowLayout TFMain::CurrentWindowLayout() const
{
    // Maximised (or minimised, or full screen), the window's bounds are the window
    // manager's; the file keeps the normal ones the user chose.
    const bool normal
        = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    QRect frame = normal || !FNormalGeometry.isValid()
        ? frameGeometry()
        : FNormalGeometry.marginsAdded(FNormalMargins.isNull() ? FrameMargins() : FNormalMargins);
    // Started maximised and never restored, the window has had no normal frame of its own:
    // its normal bounds are still those the file held (its inside was sized before the
    // frame's margins were known).
    if (!normal && FStartFrame.isValid())
        frame = FStartFrame;
    // Where a program cannot learn or choose its windows' places (Wayland), the place read
    // from the file is kept instead of the made-up one Qt reports.
    if (!CanPlaceWindows())
        frame.moveTopLeft(
            QPoint(FSettingsFile.Settings.WindowLeft, FSettingsFile.Settings.WindowTop));
    return { frame.top(), frame.left(), frame.width(), frame.height(), FUi->Panel17->width(),
        isMaximized() };
}

QMargins TFMain::FrameMargins() const
{
    const QRect frame = frameGeometry();
    const QRect inside = geometry();
    return { inside.left() - frame.left(), inside.top() - frame.top(),
        frame.right() - inside.right(), frame.bottom() - inside.bottom() };
}

bool TFMain::CanPlaceWindows()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TFMain::KeepNormalFrame()
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    // The inside is kept: the frame's margins may be learnt only later.
    if (geometry() == FNormalGeometry)
        return;
    FPreviousNormalGeometry = FNormalGeometry;
    FNormalGeometry = geometry();
    // A maximised frame may lose its side borders; the normal one is stored with its own.
    if (isVisible())
        FNormalMargins = FrameMargins();
}

bool TFMain::InNormalState() const
{
    // Qt::WindowActive is a request to be activated, not a state of the frame.
    return (windowState() & ~Qt::WindowActive) == Qt::WindowNoState;
}

void TFMain::PlaceRestoredFrame()
{
    FRestoredMargins = TWindowFrame::Margins(*this);
    const QRect frame = FRestoredFrame;
    TWindowFrame::Place(*this, [frame](const QMargins&) { return frame; });
}

void TFMain::FollowRestoredMargins()
{
    if (!FRestoredFrame.isValid())
        return;
    if (FRestoredUntil.hasExpired() || !InNormalState()) {
        FRestoredFrame = QRect();
        return;
    }
    if (TWindowFrame::Margins(*this) != FRestoredMargins)
        PlaceRestoredFrame();
}

void TFMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FollowRestoredMargins();
    KeepNormalFrame();
}

void TFMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FollowRestoredMargins();
    KeepNormalFrame();
}

void TFMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (!isMaximized()) {
        // Started maximised, the window was never framed at its normal place: the first
        // restore puts its frame where the settings say, now that the frame is known.
        if (FStartFrame.isValid() && InNormalState()) {
            FRestoredFrame = std::exchange(FStartFrame, QRect());
            QTimer::singleShot(0, this, [this] {
                if (InNormalState())
                    PlaceRestoredFrame();
            });
            // The window manager gives the frame back its borders when it pleases, perhaps
            // after the window was placed with the borderless maximised margins, and Qt may
            // learn of them only from the configure event of a later placing: the margins
            // are looked at again for a second.
            FRestoredUntil = QDeadlineTimer(1000);
            for (int wait = 100; wait <= 1000; wait += 100)
                QTimer::singleShot(wait, this, [this] { FollowRestoredMargins(); });
        }
        return;
    }
    // Some window managers give the window its maximised size before they tell its new
    // state; that size is not the user's.
    const QScreen* shownOn = screen();
    const bool screenWide = shownOn
        && FNormalGeometry.marginsAdded(FrameMargins()).width()
            >= shownOn->availableGeometry().width();
    if (screenWide && FNormalGeometry.size() == size() && FPreviousNormalGeometry.isValid())
        FNormalGeometry = FPreviousNormalGeometry;
    // The state is saved as it changes, as a resize is.
    if (isVisible())
        FSettingsFile.SaveSettings();
}

void TFMain::ApplyColumnLayout()
{
    // The file counter fills its panel.
    FUi->Label11->setGeometry(FUi->Panel29->contentsRect());
    // The header shows the marker of the sort in force.
    ShowSortMarkers();
    // A hidden column gets no width. The "Image Name" panel fills the header, whatever width
    // it is given.
    for (int button = 0; button < HeaderButtonCount; ++button) {
        QWidget* panel = HeaderPanel(button);
        const int width = Settings().ColumnVisible[button] ? Settings().ColumnWidth[button] : 0;
        panel->resize(std::max(width, 0), panel->height());
    }
    TSortedStringGrid* grid = FUi->StringGrid1;
    const int points = grid->font().pointSize() > 0 ? grid->font().pointSize() : 8;
    grid->SetDefaultRowHeight(2 * points);
    grid->SetGridLineWidth(0);
    LineUpColumns();

    // The rename panel's separator line and the left pane's choosers follow the widths of
    // their boxes, which the pane splitter and the window's size change.
    FUi->Panel7->resize(FUi->GroupBox1->width() - 15, FUi->Panel7->height());
    FUi->DriveComboBox1->resize(FUi->Panel21->width(), FUi->DriveComboBox1->height());
    FUi->ComboBox1->resize(FUi->Panel21->width(), FUi->ComboBox1->height());
}

void TFMain::LineUpColumns()
{
    // Each header button covers its panel as the alignment has left it.
    for (int button = 0; button < HeaderButtonCount; ++button)
        HeaderButton(button)->resize(HeaderPanel(button)->width(), HeaderButton(button)->height());
    // Each of the first three columns takes its panel and the splitter after it, so the
    // columns line up with the header; columns 4 to 6 lie beyond the right edge.
    TSortedStringGrid* grid = FUi->StringGrid1;
    grid->SetColWidths(ccBaseName, FUi->Panel10->width() + HeaderSplitterWidth);
    grid->SetColWidths(ccExtension, FUi->Panel11->width() + HeaderSplitterWidth);
    grid->SetColWidths(ccImageName, FUi->Panel12->width() + HeaderSplitterWidth);
    grid->SetColWidths(ccSize, FUi->Panel18->width());
}

QWidget* TFMain::HeaderPanel(int button) const
{
    QWidget* const panels[HeaderButtonCount]
        = { FUi->Panel10, FUi->Panel11, FUi->Panel12, FUi->Panel18 };
    return panels[button];
}

TSpeedButton* TFMain::HeaderButton(int button) const
{
    TSpeedButton* const buttons[HeaderButtonCount]
        = { FUi->SpeedButton2, FUi->SpeedButton3, FUi->SpeedButton4, FUi->SpeedButton5 };
    return buttons[button];
}

void TFMain::SetHeaderGlyph(int button, int index)
{
    HeaderButton(button)->SetGlyph(FImageList1.value(index));
}

void TFMain::ShowSortMarkers()
{
    const TSortedStringGrid* grid = FUi->StringGrid1;
    const bool hasFile = !grid->Cells(ccFileName, grid->Row()).isEmpty();
    for (int button = 0; button < HeaderButtonCount; ++button) {
        int marker = hmBlank;
        if (hasFile && button == grid->SortColumn())
            marker = grid->SortDirection() == sdAscending ? hmAscending : hmDescending;
        SetHeaderGlyph(button, marker);
    }
}

void TFMain::StoreColumnWidths()
{
    for (int button = 0; button < HeaderButtonCount; ++button)
        Settings().ColumnWidth[button] = HeaderPanel(button)->width();
}

void TFMain::ShowDialog(QWidget* window)
{
    if (window)
        TOwnedDialog::Show(*window, *this);
}

// -- Handlers of the window ------------------------------------------------------------

void TFMain::FormActivate()
{
    ApplyColumnLayout();
}

void TFMain::FormResize()
{
    // The size given before the window came on screen arrives as it is shown, while the
    // window system still moves the frame into place; start-up saved that layout already.
    if (!isVisible())
        return;
    FSettingsFile.SaveSettings();
    ApplyColumnLayout();
}

void TFMain::Panel12Resize()
{
    // The header's filling panel changes with more than the window's size (the first layout
    // of a window that no window manager activates, the left pane): the buttons and the
    // table's columns follow it, so that they line up and the hidden columns stay beyond the
    // table's edge.
    LineUpColumns();
}

void TFMain::FormClose()
{
    // Closing ends a delivery under way and leaves the device holding a cut image: only
    // when the user says so. Until the answer the delivery waits between two blocks.
    if (FDeliveryJob && FDeliveryJob->Delivering()
        && !FApplication.Ask(QStringLiteral("A delivery is under way. Stop it and quit?"))) {
        FKeepOpen = true;
        return;
    }
    FSettingsFile.SaveSettings();
}

void TFMain::closeEvent(QCloseEvent* event)
{
    if (std::exchange(FKeepOpen, false)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit Closed();
}

void TFMain::Timer1Timer()
{
    FTimer1->stop();
    ReadCatalogue();
}

void TFMain::Splitter1Moved()
{
    StoreColumnWidths();
    ApplyColumnLayout();
}

void TFMain::Splitter2Moved()
{
    StoreColumnWidths();
    ApplyColumnLayout();
}

void TFMain::Splitter3Moved()
{
    StoreColumnWidths();
    ApplyColumnLayout();
}

void TFMain::Splitter4Moved()
{
    // The left pane's width is read by every save; it is not kept in Settings here.
    StoreColumnWidths();
    ApplyColumnLayout();
}

void TFMain::SpeedButton11Click()
{
    ShowDialog(FPreferencesWindow);
}

void TFMain::SpeedButton12Click()
{
    ShowDialog(FAboutWindow);
}

void TFMain::SpeedButton13Click()
{
    close();
}

void TFMain::SpeedButton8Click()
{
    // "Deliver": the delivery job resets its progress figures, checks the row and runs its
    // body here. Without one (a window built on its own) there is nothing to deliver with.
    if (FDeliveryJob)
        FDeliveryJob->StartDelivery();
    else if (CurrentDeliveryRow().FileName.isEmpty())
        SetStatusText(NoFileSelectedText());
}

// -- The catalogue listing -------------------------------------------------------------

void TFMain::DriveComboBox1Change()
{
    // The drive box has moved its linked tree already, to the folder last shown on that
    // drive; a tree left elsewhere is brought to the drive's top.
    const TDriveComboBox* drives = FUi->DriveComboBox1;
    const int shown = VolumeOf(drives->Volumes(), FUi->DirectoryListBox1->Directory());
    if (!drives->Drive().isEmpty() && shown != drives->currentIndex())
        FUi->DirectoryListBox1->SetDirectory(drives->Drive());
}

void TFMain::DirectoryListBox1Change()
{
    SetStatusText(QStringLiteral(" Getting filelist..."));
    FUi->Label11->clear();
    Settings().LastDir = FFileListBox1->Directory();
    FSettingsFile.SaveSettings();
}

void TFMain::FileListBox1Change()
{
    // Arming an armed timer changes nothing: several readings before it fires give one
    // scan. During start-up the constructor arms it once start-up is over.
    if (FCreated && !FTimer1->isActive())
        FTimer1->start();
}

void TFMain::ComboBox1Change()
{
    const int item = FUi->ComboBox1->currentIndex();
    if (item < 0 || item >= int(FileFilters.size()))
        return;
    const QString& mask = FileFilters[std::size_t(item)].Mask;
    Settings().Wildcard = mask;
    // Reads the folder again only when the mask is a new one.
    FFileListBox1->SetMask(mask);
    FSettingsFile.SaveSettings();
}

void TFMain::SpeedButton10Click()
{
    FTimer1->stop();
    FFileListBox1->Update();
}

void TFMain::StringGrid1Click()
{
    ShowCurrentImage();
    UpdateNewNamePreview();
    ShowChecksumVerdict();
}

void TFMain::ShowChecksumVerdict()
{
    if (FShownCheck) {
        FShownVerdict = ChecksumStatusText(*FShownCheck);
        SetStatusText(FShownVerdict);
    } else if (!FShownVerdict.isEmpty() && StatusText() == FShownVerdict) {
        // Another row's verdict must not stand for this one.
        SetStatusText(QString());
    }
}

void TFMain::ReadCatalogue()
{
    TAnimate* animate = FUi->Animate2;
    animate->show();
    animate->raise();
    animate->SetActive(true);
    // The scan hands no control back to the message loop, so the animation is drawn now.
    animate->repaint();
    struct THideAnimation
    {
        TAnimate* Animate;
        ~THideAnimation()
        {
            Animate->hide();
            Animate->SetActive(false);
        }
    } hide { animate };

    SetStatusText(QStringLiteral(" Reading file information..."));
    FUi->Label11->setText(QStringLiteral(" 0 Files"));
    // The file list has just listed the folder with the same mask that conveyor-cli list
    // uses; the rows come in the order list prints them.
    const std::vector<TTextRow> rows
        = CatalogueRows(FFileListBox1->Directory(), FFileListBox1->Items(), [this](int number) {
              FUi->Label11->setText(QString::number(number) + QStringLiteral(" Files "));
          });

    TSortedStringGrid* grid = FUi->StringGrid1;
    grid->SetRowCount(0);
    grid->SetRowCount(std::max(int(rows.size()), 1));
    for (int button = 0; button < HeaderButtonCount; ++button)
        SetHeaderGlyph(button, hmBlank);
    for (int column = 0; column < grid->ColCount(); ++column)
        grid->SetCells(column, 0, QString());
    FUi->Edit3->clear();
    FUi->Edit3->setToolTip(QString());
    FUi->Edit4->clear();
    FUi->Edit5->clear();
    FShownRealName.clear();
    FPlainExtension.clear();
    FKeepsExtension = false;
    FOwnExtension.clear();
    FShownInsideArchive = false;
    FShownCheck.reset();

    for (std::size_t i = 0; i < rows.size(); ++i)
        grid->SetRowTexts(int(i), rows[i]);
    if (!rows.empty()) {
        SetHeaderGlyph(ccBaseName, hmAscending);
        for (int button = 1; button < HeaderButtonCount; ++button)
            SetHeaderGlyph(button, hmBlank);
    }

    // The rows came sorted by file name; another pass could reorder equal names.
    grid->SetSortOrderWithoutSorting(ccBaseName, sdAscending);
    SetStatusText(QStringLiteral("  Done..."));
    grid->SetRow(TakeOpenedRow(rows));
    // The first row (or the one opened) is current now, as if the user had chosen it: its
    // checksums are told before a delivery as well.
    StringGrid1Click();
    if (!FOpenedStatus.isEmpty())
        SetStatusText(std::exchange(FOpenedStatus, QString()));
    emit CatalogueRead();
}

int TFMain::TakeOpenedRow(const std::vector<TTextRow>& rows)
{
    const QString name = std::exchange(FOpenedName, QString());
    if (name.isEmpty())
        return 0;
    const auto found = std::find_if(rows.begin(), rows.end(), [&name](const TTextRow& row) {
        return row.size() > ccRealName && row[ccRealName] == name;
    });
    if (found != rows.end())
        return int(found - rows.begin());
    // Removed or renamed since it was handed in.
    if (FOpenedStatus.isEmpty())
        FOpenedStatus = QStringLiteral(" %1 is no longer in the folder").arg(ReadableRawText(name));
    return 0;
}

void TFMain::ShowCurrentImage()
{
    const std::span<const QString> row = CurrentRow();
    // An image inside an archive is inflated up to its first megabyte, in a solid 7z after the
    // images before it: that may take a moment.
    const bool slow = !row[ccKind].isEmpty();
    if (slow)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([slow] {
        if (slow)
            QApplication::restoreOverrideCursor();
    });
    const std::optional<TCurrentImage> image = ExamineCurrentImage(SelectedDirectory(), row);
    if (!image) {
        FShownCheck.reset();
        return;
    }
    FUi->Edit3->setText(image->FileName);
    // An image of several ("... in ARCHIVE.7Z") is seldom as short as the field.
    FUi->Edit3->setToolTip(image->FileName);
    SetLongText(FUi->Edit1, image->NewName, NewNameTypingLimit);
    FUi->Edit5->setText(image->ImageName);
    FUi->Edit4->setText(image->System);
    FCurrentSystem = image->CurrentSystem;
    FShownRealName = image->RealName;
    FPlainExtension = image->PlainExtension;
    FKeepsExtension = image->KeepsExtension;
    FOwnExtension = image->OwnExtension;
    FShownInsideArchive = image->InsideArchive;
    FShownCheck = image->Check;
    UpdateNewNamePreview();
}

// -- The header buttons ----------------------------------------------------------------

void TFMain::HeaderButtonClick(int column)
{
    ::HeaderButtonClick(*FUi->StringGrid1, column,
        [this](int button, THeaderMarker marker) { SetHeaderGlyph(button, marker); });
}

void TFMain::SpeedButton2Click()
{
    HeaderButtonClick(ccBaseName);
}

void TFMain::SpeedButton3Click()
{
    HeaderButtonClick(ccExtension);
}

void TFMain::SpeedButton4Click()
{
    HeaderButtonClick(ccImageName);
}

void TFMain::SpeedButton5Click()
{
    HeaderButtonClick(ccSize);
}

// -- The rename panel ------------------------------------------------------------------

void TFMain::SpeedButton9Click()
{
    // The tree fills what the panel leaves, so it grows and shrinks with it.
    FUi->Panel5->setVisible(FUi->Panel5->isHidden());
    // Shown, the panel is there to type a name; hidden, it must not keep the focus.
    if (FUi->Panel5->isVisible()) {
        FUi->Edit1->setFocus(Qt::ShortcutFocusReason);
        FUi->Edit1->selectAll();
    } else if (!FUi->StringGrid1->hasFocus()) {
        FUi->StringGrid1->setFocus(Qt::ShortcutFocusReason);
    }
}

QString TFMain::CaseClash(const QString& directory, const QString& newName) const
{
    if (newName == FShownRealName)
        return QString();
    QStringList names;
    try {
        names = ListFiles(directory, QStringLiteral("*"));
    } catch (const EInOutError&) {
        // A folder that cannot be listed leaves the decision to the rename itself.
        return QString();
    }
    const QString wanted = UpperCaseFileName(newName);
    for (const QString& existing : names) {
        if (existing != FShownRealName && existing != newName
            && UpperCaseFileName(existing) == wanted)
            return existing;
    }
    return QString();
}

QString TFMain::NewNameExtension() const
{
    // An archive named after its image's system would no longer be found as an archive.
    if (FKeepsExtension)
        return FOwnExtension;
    if (FUi->CheckBox1->isChecked() && FCurrentSystem.size() >= 3)
        return QLatin1Char('.') + FCurrentSystem;
    return FPlainExtension.isEmpty() ? PlainNewExtension(std::nullopt) : FPlainExtension;
}

void TFMain::UpdateNewNamePreview()
{
    // No name is promised for what "Rename" refuses.
    if (FShownInsideArchive) {
        FUi->Label13->clear();
        return;
    }
    FUi->Label13->setText(FUi->Edit1->text() + NewNameExtension());
}

void TFMain::Edit1Change()
{
    // Typing cannot lengthen a long name that the program put there, but deleting lowers the
    // limit again until it is back at its own.
    FUi->Edit1->setMaxLength(std::max<int>(NewNameTypingLimit, int(FUi->Edit1->text().size())));
    // The preview shows what "Rename" will do whatever put the text there: a key, a paste,
    // the program after a rename or a scan.
    UpdateNewNamePreview();
}

void TFMain::Edit1KeyUp()
{
    UpdateNewNamePreview();
}

void TFMain::CheckBox1Click()
{
    UpdateNewNamePreview();
}

void TFMain::SpeedButton6Click()
{
    // The image's name is the archive's business: changing it would mean writing the archive
    // anew, and the other images with it.
    if (FShownInsideArchive) {
        SetStatusText(
            QStringLiteral(" Rename refused: %1 holds several images; none can be renamed")
                .arg(UpperCaseFileName(ReadableRawText(FShownRealName))));
        return;
    }
    const QString name = FUi->Edit1->text();
    if (name.isEmpty()) {
        SetStatusText(QStringLiteral("Please enter a filename..."));
        return;
    }
    // Typed text must never move a file out of its folder.
    if (!IsPlainFileName(name)) {
        SetStatusText(QStringLiteral("Please enter a filename without path characters..."));
        return;
    }
    if (FShownRealName.isEmpty()) {
        SetStatusText(NoFileSelectedText());
        return;
    }
    const QString directory = SelectedDirectory();
    const QString newName = name + NewNameExtension();
    // The table and the device see names in upper case: a name that differs from another
    // file's only in case would give two rows, and two files on the device, that no one can
    // tell apart. The file itself may change its case.
    const QString clash = CaseClash(directory, newName);
    if (!clash.isEmpty()) {
        SetStatusText(QStringLiteral(" Rename refused: %1 differs from the file %2 only in "
                                     "letter case")
                          .arg(ReadableRawText(newName), ReadableRawText(clash)));
        return;
    }
    try {
        RenameFile(directory + FShownRealName, directory + newName);
    } catch (const EInOutError& error) {
        // Nothing changed on disk; the typed name stays for another try.
        if (error.ErrorCode() == EEXIST)
            SetStatusText(QStringLiteral(" Rename failed: a file named %1 already exists")
                              .arg(ReadableRawText(newName)));
        else
            SetStatusText(QStringLiteral(" Rename failed: ") + IoErrorText(error.ErrorCode()));
        return;
    }
    SetLongText(FUi->Edit1, QString(), NewNameTypingLimit);
    FFileListBox1->Update();
}
