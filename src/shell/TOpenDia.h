#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class TApplication;
class TSettingsFile;

namespace Ui {
class TOpenDia;
}

// The wave-file chooser: drive, folder and file lists with a file-type box, the path that
// "Open" takes, ">" to listen to the selected file. "Open" puts the path into the settings'
// WaveFile without saving; "Cancel" and the close box leave it as it was. Each time the
// chooser becomes active it returns to the folder of the WaveFile. Shown, it takes the focus
// and stays above the window that opened it, which gets the focus back when it closes.
class TOpenDia : public QWidget
{
    Q_OBJECT

public:
    using TPlayWaveFile = std::function<void(const QString& path)>;

    // The application, the settings and whatever plays must outlive the chooser; owner is
    // the window that shows it, if any.
    TOpenDia(TApplication& application, TSettingsFile& settings, TPlayWaveFile playWaveFile,
        QWidget* owner = nullptr);
    ~TOpenDia() override;

private:
    // Handlers, bound in the window's event table.
    void FormShow();
    void FormActivate();
    void FormClose();
    void DirectoryListBox1Change();
    void FileListBox1Click();
    void FileListBox1DblClick();
    void SpeedButton3Click(); // ">"
    void SpeedButton1Click(); // "Open"
    void SpeedButton2Click(); // "Cancel"

    // Shows a path in the edit readably, and keeps its bytes for "Open".
    void ShowPath(const QString& path);

    std::unique_ptr<Ui::TOpenDia> FUi;
    TSettingsFile& FSettings;
    TPlayWaveFile FPlayWaveFile;
    QPointer<QWidget> FOwner;
    QString FPath;
};
