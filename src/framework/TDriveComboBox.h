#pragma once

#include "framework/TBindableControl.h"
#include "framework/TVolume.h"

#include <QComboBox>
#include <QHash>
#include <QPointer>

#include <functional>

class TDirectoryListBox;

// The drive box: the mounted volumes a user browses (the root, the home folder, removable
// media, see BrowsableVolumes). Choosing one opens, in the linked directory list, the folder
// last shown on that volume, or the volume's top when there is none or it has gone; then the
// change event is raised. When the directory list moves to another volume by itself, the
// box follows without an event. The list of volumes is read again each time it drops down,
// so media plugged in meanwhile appear.
class TDriveComboBox : public QComboBox, public TBindableControl
{
    Q_OBJECT
    // Read only for .ui files: choosing a volume can fail, and it is chosen from code.
    Q_PROPERTY(QString Drive READ Drive)

public:
    using TVolumeSource = std::function<QList<TVolume>()>;

    explicit TDriveComboBox(QWidget* parent = nullptr);

    // The top of the chosen volume.
    QString Drive() const;
    // Chooses the volume whose top is given (as the user would); throws EInOutError when the
    // folder to open cannot be read, and then stays where it was.
    void SetDrive(const QString& top);

    void SetDirList(TDirectoryListBox* list);
    TDirectoryListBox* DirList() const { return FDirList; }

    const QList<TVolume>& Volumes() const { return FVolumes; }
    // Where the volumes come from; MountedVolumes unless a test says otherwise. Reads them.
    void SetVolumeSource(TVolumeSource source);
    // Reads the volumes again, keeping the chosen one when it is still there.
    void Refresh();

    void showPopup() override;

signals:
    void Change();

private:
    void Choose(int index);
    void Follow(const QString& directory);
    void SelectQuietly(int index);

    TVolumeSource FSource;
    QList<TVolume> FVolumes;
    QPointer<TDirectoryListBox> FDirList;
    // The folder last shown on each volume, by the volume's top.
    QHash<QString, QString> FLastFolders;
    bool FQuiet = false;
};
