#include "TVolume.h"

#include "platform/RawText.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QStorageInfo>

namespace {

// Mountinfo writes space, tab, newline and backslash in paths as \ and three octal digits.
QByteArray DecodeEscapes(const QByteArray& field)
{
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            decoded += char(
                ((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return decoded;
}

bool IsPseudoFileSystem(const QString& type)
{
    static const QSet<QString> pseudo {
        QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"),
        QStringLiteral("bpf"),
        QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),
        QStringLiteral("configfs"),
        QStringLiteral("debugfs"),
        QStringLiteral("devpts"),
        QStringLiteral("devtmpfs"),
        QStringLiteral("efivarfs"),
        QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.lxcfs"),
        QStringLiteral("fuse.portal"),
        QStringLiteral("fusectl"),
        QStringLiteral("hugetlbfs"),
        QStringLiteral("mqueue"),
        QStringLiteral("nsfs"),
        QStringLiteral("proc"),
        QStringLiteral("pstore"),
        QStringLiteral("ramfs"),
        QStringLiteral("rpc_pipefs"),
        QStringLiteral("securityfs"),
        QStringLiteral("selinuxfs"),
        QStringLiteral("sysfs"),
        QStringLiteral("tmpfs"),
        QStringLiteral("tracefs"),
    };
    return pseudo.contains(type);
}

bool IsBelow(const QString& path, const QString& folder)
{
    return path.size() > folder.size() && path.startsWith(folder)
        && path[folder.size()] == QLatin1Char('/');
}

} // namespace

QList<TVolume> ParseMountInfo(const QByteArray& text)
{
    QList<TVolume> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id, parent, device, root, mount point, options, optional fields, "-", type, source
        const qsizetype separator = fields.indexOf(QByteArray("-"), 6);
        if (separator < 0 || separator + 1 >= fields.size() || fields[4].isEmpty())
            continue;
        TVolume mount;
        mount.Top = DecodeRawText(DecodeEscapes(fields[4]));
        mount.FileSystem = QString::fromUtf8(fields[separator + 1]);
        if (separator + 2 < fields.size())
            mount.Source = QFile::decodeName(DecodeEscapes(fields[separator + 2]));
        mounts.push_back(mount);
    }
    return mounts;
}

QList<TVolume> BrowsableVolumes(const QList<TVolume>& mounts, const QString& home)
{
    // The last mount at a point is the one in sight.
    QMap<QString, TVolume> visible;
    for (const TVolume& mount : mounts)
        visible.insert(QDir::cleanPath(mount.Top), mount);

    QList<TVolume> volumes;
    TVolume root = visible.value(QStringLiteral("/"));
    root.Top = QStringLiteral("/");
    root.Kind = vkFixed;
    volumes.push_back(root);

    const QString homeTop = home.isEmpty() ? QString() : QDir::cleanPath(home);
    if (!homeTop.isEmpty() && homeTop != QLatin1String("/")) {
        const QList<TVolume> all = visible.values();
        const int holder = VolumeOf(all, homeTop);
        TVolume volume = holder >= 0 ? all[holder] : TVolume();
        volume.Top = homeTop;
        volume.Kind = vkHome;
        volumes.push_back(volume);
    }

    for (auto it = visible.cbegin(); it != visible.cend(); ++it) {
        const QString& top = it.key();
        if (top == homeTop || IsPseudoFileSystem(it->FileSystem))
            continue;
        TVolume volume = *it;
        volume.Top = top;
        if (IsBelow(top, QStringLiteral("/media")) || IsBelow(top, QStringLiteral("/run/media")))
            volume.Kind = vkRemovable;
        else if (IsBelow(top, QStringLiteral("/mnt")))
            volume.Kind = vkFixed;
        else
            continue;
        volumes.push_back(volume);
    }
    return volumes;
}

QList<TVolume> MountedVolumes()
{
    QList<TVolume> mounts;
    QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
    if (mountInfo.open(QIODevice::ReadOnly)) {
        mounts = ParseMountInfo(mountInfo.readAll());
    } else {
        for (const QStorageInfo& storage : QStorageInfo::mountedVolumes())
            mounts.push_back({ storage.rootPath(), QString::fromUtf8(storage.fileSystemType()),
                QString::fromUtf8(storage.device()), vkFixed });
    }
    return BrowsableVolumes(mounts, QDir::homePath());
}

int VolumeOf(const QList<TVolume>& volumes, const QString& path)
{
    int best = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString& top = volumes[i].Top;
        const bool holds = top == QLatin1String("/") ? path.startsWith(QLatin1Char('/'))
                                                     : path == top || IsBelow(path, top);
        if (holds && (best < 0 || top.size() > volumes[best].Top.size()))
            best = i;
    }
    return best;
}
