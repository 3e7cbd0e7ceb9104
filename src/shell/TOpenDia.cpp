#include "TOpenDia.h"

#include "framework/OwnedWindow.h"
#include "framework/TApplication.h"
#include "framework/TEventBinder.h"
#include "platform/EInOutError.h"
#include "platform/FileAccess.h"
#include "platform/RawText.h"
#include "shell/TSettingsFile.h"
#include "ui_TOpenDia.h"

#include <QDir>

TOpenDia::TOpenDia(
    TApplication& application, TSettingsFile& settings, TPlayWaveFile playWaveFile, QWidget* owner)
    : QWidget(nullptr)
    , FUi(std::make_unique<Ui::TOpenDia>())
    , FSettings(settings)
    , FPlayWaveFile(std::move(playWaveFile))
    , FOwner(owner)
{
    FUi->setupUi(this);
    setWindowFlags(Qt::Tool);
    setFixedSize(size());
    move(374, 202);

    TVisibleFileListBox* files = FUi->FileListBox1;
    FUi->DriveComboBox1->SetDirList(FUi->DirectoryListBox1);
    FUi->DirectoryListBox1->AddLink(
        files, [files](const QString& directory) { files->SetDirectory(directory); });
    FUi->FilterComboBox1->AddLink(files, [files](const QString& mask) { files->SetMask(mask); });
    files->SetMask(FUi->FilterComboBox1->Mask());
    // The directory list opened a folder it could read; should listing its files fail all
    // the same, the list stays empty until the user opens another folder.
    try {
        files->SetDirectory(FUi->DirectoryListBox1->Directory());
    } catch (const EInOutError&) {
    }

    TEventBinder::Bind(application, *this, *FUi,
        {
            { ekShow, &TOpenDia::FormShow },
            { ekActivate, &TOpenDia::FormActivate },
            { ekClose, &TOpenDia::FormClose },
            { &Ui::TOpenDia::DirectoryListBox1, ekChange, &TOpenDia::DirectoryListBox1Change },
            { &Ui::TOpenDia::FileListBox1, ekClick, &TOpenDia::FileListBox1Click },
            { &Ui::TOpenDia::FileListBox1, ekDblClick, &TOpenDia::FileListBox1DblClick },
            { &Ui::TOpenDia::SpeedButton3, ekClick, &TOpenDia::SpeedButton3Click },
            { &Ui::TOpenDia::SpeedButton1, ekClick, &TOpenDia::SpeedButton1Click },
            { &Ui::TOpenDia::SpeedButton2, ekClick, &TOpenDia::SpeedButton2Click },
        });
}

TOpenDia::~TOpenDia() = default;

void TOpenDia::FormShow()
{
    // Left to itself, a window manager may keep the focus on the window whose button opened
    // the chooser; active, the chooser opens the wave's folder.
    ActivateAbove(*this, FOwner);
}

void TOpenDia::FormActivate()
{
    const QString& wave = FSettings.Settings.WaveFile;
    if (wave.size() < 2)
        return;
    // An error box here would activate the chooser again when it closes, and show itself
    // again without end; a wave whose folder has gone, or cannot be read, opens the nearest
    // one above it that can. The list opens the folder that holds a file by itself.
    const QString absolute = QDir::isAbsolutePath(wave) ? wave : QDir::current().filePath(wave);
    for (QString folder = QDir::cleanPath(absolute);; folder = ParentFolder(folder)) {
        try {
            FUi->DirectoryListBox1->SetDirectory(folder);
            return;
        } catch (const EInOutError&) {
        }
        if (folder == ParentFolder(folder))
            return;
    }
}

void TOpenDia::FormClose()
{
    // The window that opened the chooser is active again, and shows what "Open" took.
    if (FOwner && FOwner->isVisible()) {
        FOwner->raise();
        FOwner->activateWindow();
    }
}

void TOpenDia::DirectoryListBox1Change()
{
    ShowPath(FUi->DirectoryListBox1->Directory());
}

void TOpenDia::FileListBox1Click()
{
    const QString file = FUi->FileListBox1->FileName();
    if (!file.isEmpty())
        ShowPath(file);
}

void TOpenDia::FileListBox1DblClick()
{
    const QString file = FUi->FileListBox1->FileName();
    if (file.isEmpty())
        return;
    ShowPath(file);
    FPlayWaveFile(file);
}

void TOpenDia::SpeedButton3Click()
{
    // Nothing selected, nothing to listen to.
    const QString file = FUi->FileListBox1->FileName();
    if (!file.isEmpty())
        FPlayWaveFile(file);
}

void TOpenDia::SpeedButton1Click()
{
    // A path typed by hand is taken as typed; one the lists put there keeps its bytes.
    FSettings.Settings.WaveFile = FUi->Edit1->isModified() ? FUi->Edit1->text() : FPath;
    close();
}

void TOpenDia::ShowPath(const QString& path)
{
    FPath = path;
    FUi->Edit1->setText(ReadableRawText(path));
    FUi->Edit1->setModified(false);
}

void TOpenDia::SpeedButton2Click()
{
    close();
}
