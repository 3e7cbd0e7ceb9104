#pragma once

#include "framework/TBindableControl.h"

#include <QListWidget>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <vector>

// The classic directory list: the folders of the current path from the root down, each
// indented one step further, then the current folder's subfolders (hidden ones left out),
// indented once more, in case-insensitive order. A double-click or Enter on an item opens
// that folder; a folder that cannot be opened shows the error box and the list stays where
// it was.
//
// Directory and the items' paths are raw text (see RawText.h), so that a folder whose name is
// not UTF-8 opens, lists its files and is stored by its own bytes; the items show such a
// name as well as it reads.
//
// Linked controls (the file list, the drive box) follow each change of Directory before
// the change event is raised; their failures reach the caller or, for a change made by the
// user, the error box.
class TDirectoryListBox : public QListWidget, public TBindableControl
{
    Q_OBJECT
    // Read only for .ui files: opening a folder can fail, and it is set from code.
    Q_PROPERTY(QString Directory READ Directory)

public:
    enum
    {
        PathRole = Qt::UserRole,
        LevelRole
    };

    // Opens the process's current folder (or, failing that, the home folder or the root).
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return FDirectory; }
    // Opens a folder; given a file, opens the folder that holds it. A folder that cannot be
    // read throws EInOutError and changes nothing. Setting the folder already shown only
    // reads its subfolders again and raises no change event.
    void SetDirectory(const QString& path);
    // Reads the current folder's subfolders again.
    void Refresh();

    // The folder an item stands for.
    QString ItemPath(int row) const;

    // link(directory) runs on every change of Directory, while context lives.
    void AddLink(QObject* context, std::function<void(const QString& directory)> link);

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TLink
    {
        QPointer<QObject> Context;
        std::function<void(const QString&)> Follow;
    };

    void Fill(const QString& directory, const QStringList& subfolders);
    void OpenGuarded(const QString& path);

    QString FDirectory;
    std::vector<TLink> FLinks;
};
