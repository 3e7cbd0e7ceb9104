#pragma once

#include "framework/TBindableControl.h"
#include "framework/TFileListBox.h"

#include <QListWidget>
#include <QString>

// The file list a user chooses from: the plain files of a folder that match a mask, by
// their names on disk, one selectable at a time. Clicking a file (or moving to one with the
// keyboard) raises Click, a double-click DblClick, and every fresh reading Change. A click
// beside the files keeps the selection.
class TVisibleFileListBox : public QListWidget, public TBindableControl
{
    Q_OBJECT

public:
    // Lists nothing until a folder is set.
    explicit TVisibleFileListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return FFiles.Directory(); }
    // Lists a folder; one that cannot be read throws EInOutError and changes nothing.
    void SetDirectory(const QString& directory);
    const QString& Mask() const { return FFiles.Mask(); }
    // A ";"-separated list of patterns, matched without regard to case.
    void SetMask(const QString& mask);
    // Reads the folder again.
    void Update();

    // The full path of the selected file; empty when none is selected.
    QString FileName() const;

signals:
    void Click();
    void DblClick();
    void Change();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Fill();

    TFileListBox FFiles;
};
