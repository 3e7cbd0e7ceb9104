#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

enum TVolumeKind
{
    vkFixed, // the root and other fixed disks
    vkHome, // the user's home folder
    vkRemovable, // media under /media and /run/media
};

// One entry of the drive box: a mounted volume a user browses, or, as the home volume, the
// user's home folder. Top is the folder the volume opens at when nothing was shown on it yet.
struct TVolume
{
    QString Top;
    QString FileSystem;
    QString Source;
    TVolumeKind Kind = vkFixed;
};

// The mounts listed in a /proc/self/mountinfo text, in their order: Top is the mount point
// (escapes such as \040 decoded) as raw text (see RawText.h), with its file-system type and
// source. Lines that do not parse are skipped.
QList<TVolume> ParseMountInfo(const QByteArray& text);

// The volumes the drive box offers from a list of mounts: the root first, then the home
// folder, then the real file systems mounted under /media, /run/media and /mnt, by path.
// Pseudo file systems (proc, tmpfs, cgroup and the like) are left out; a mount point
// mounted over keeps only the last mount.
QList<TVolume> BrowsableVolumes(const QList<TVolume>& mounts, const QString& home);

// BrowsableVolumes of this system's mounts and the user's home folder.
QList<TVolume> MountedVolumes();

// The volume that holds path: the one whose Top is its longest leading folder; -1 when
// none does.
int VolumeOf(const QList<TVolume>& volumes, const QString& path);
