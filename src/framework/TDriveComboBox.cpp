#include "TDriveComboBox.h"

#include "framework/FrameworkPictures.h"
#include "framework/TDirectoryListBox.h"
#include "platform/EInOutError.h"
#include "platform/FileAccess.h"
#include "platform/RawText.h"

#include <QFileInfo>

#include <cerrno>

namespace {

QString VolumeText(const TVolume& volume)
{
    switch (volume.Kind) {
    case vkHome:
        return QStringLiteral("Home");
    case vkFixed:
    case vkRemovable:
        break;
    }
    const QString name = QFileInfo(volume.Top).fileName();
    return ReadableRawText(name.isEmpty() ? volume.Top : name);
}

QString VolumePicture(const TVolume& volume)
{
    switch (volume.Kind) {
    case vkHome:
        return QStringLiteral("drive-home");
    case vkRemovable:
        return QStringLiteral("drive-removable");
    case vkFixed:
        break;
    }
    return QStringLiteral("drive-fixed");
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent)
    : QComboBox(parent)
    , FSource(MountedVolumes)
{
    InitFrameworkPictures();
    setIconSize(QSize(16, 16));
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!FQuiet)
            Guarded([this, index] { Choose(index); });
    });
    Refresh();
}

QString TDriveComboBox::Drive() const
{
    const int index = currentIndex();
    return index >= 0 && index < FVolumes.size() ? FVolumes[index].Top : QString();
}

void TDriveComboBox::SetDrive(const QString& top)
{
    int index = -1;
    for (int i = 0; i < FVolumes.size(); ++i)
        if (FVolumes[i].Top == top)
            index = i;
    if (index < 0)
        throw EInOutError::Folder(top, ENOENT);
    SelectQuietly(index);
    Choose(index);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* list)
{
    FDirList = list;
    if (!list)
        return;
    list->AddLink(this, [this](const QString& directory) { Follow(directory); });
    Follow(list->Directory());
}

void TDriveComboBox::SetVolumeSource(TVolumeSource source)
{
    FSource = source ? std::move(source) : TVolumeSource(MountedVolumes);
    Refresh();
}

void TDriveComboBox::Refresh()
{
    const QString chosen = Drive();
    FVolumes = FSource();

    FQuiet = true;
    clear();
    for (const TVolume& volume : FVolumes) {
        addItem(QIcon(FrameworkPicture(VolumePicture(volume))), VolumeText(volume), volume.Top);
        const QString top = ReadableRawText(volume.Top);
        const QString detail = volume.FileSystem.isEmpty()
            ? top
            : QStringLiteral("%1 (%2)").arg(top, volume.FileSystem);
        setItemData(count() - 1, detail, Qt::ToolTipRole);
    }
    FQuiet = false;

    int index = -1;
    for (int i = 0; i < FVolumes.size(); ++i)
        if (FVolumes[i].Top == chosen)
            index = i;
    if (index < 0 && FDirList)
        index = VolumeOf(FVolumes, FDirList->Directory());
    SelectQuietly(index < 0 && !FVolumes.isEmpty() ? 0 : index);
}

void TDriveComboBox::showPopup()
{
    Refresh();
    QComboBox::showPopup();
}

void TDriveComboBox::Choose(int index)
{
    if (index < 0 || index >= FVolumes.size())
        return;
    if (FDirList) {
        const QString top = FVolumes[index].Top;
        const QString last = FLastFolders.value(top);
        try {
            if (!last.isEmpty() && last != top && IsFolder(last)) {
                try {
                    FDirList->SetDirectory(last);
                } catch (const EInOutError&) {
                    FDirList->SetDirectory(top);
                }
            } else {
                FDirList->SetDirectory(top);
            }
        } catch (...) {
            // Show the volume the list is still on.
            SelectQuietly(VolumeOf(FVolumes, FDirList->Directory()));
            throw;
        }
    }
    emit Change();
}

void TDriveComboBox::Follow(const QString& directory)
{
    const int index = VolumeOf(FVolumes, directory);
    if (index < 0)
        return;
    FLastFolders.insert(FVolumes[index].Top, directory);
    SelectQuietly(index);
}

void TDriveComboBox::SelectQuietly(int index)
{
    FQuiet = true;
    setCurrentIndex(index);
    FQuiet = false;
}
