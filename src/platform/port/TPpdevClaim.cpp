#include "TPpdevClaim.h"

#include "platform/port/EPortAccess.h"
#include "platform/port/TKernelPortList.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The group that owns the node, which the user must belong to; usually lp.
QString OwningGroup(const QByteArray& path)
{
    struct stat status
    {
    };
    if (::stat(path.constData(), &status) == 0) {
        if (const group* owner = ::getgrgid(status.st_gid))
            return QString::fromLocal8Bit(owner->gr_name);
    }
    return QStringLiteral("lp");
}

QString NodeProblem(const QString& path, int error)
{
    const QByteArray native = QFile::encodeName(path);
    switch (error) {
    case ENOENT:
        return QStringLiteral("%1 does not exist: the kernel's ppdev driver is not loaded "
                              "(\"sudo modprobe ppdev\").")
            .arg(path);
    case EACCES:
    case EPERM: {
        const QString group = OwningGroup(native);
        return QStringLiteral("Conveyor may not open %1: only members of the group %2 may. Add "
                              "your user to it (\"sudo adduser $USER %2\") and log in again.")
            .arg(path, group);
    }
    default:
        return QStringLiteral("Cannot open %1: %2.").arg(path, SystemText(error));
    }
}

int Control(int handle, unsigned long request)
{
    int result;
    do
        result = ::ioctl(handle, request);
    while (result < 0 && errno == EINTR);
    return result < 0 ? errno : 0;
}

} // namespace

TPpdevClaim::TPpdevClaim(const QString& devRoot, const QString& procRoot)
    : FDevRoot(devRoot)
    , FProcRoot(procRoot)
{
}

TPpdevClaim::~TPpdevClaim()
{
    Release();
}

QString TPpdevClaim::NodePath(const TKernelPort& port) const
{
    return FDevRoot + QStringLiteral("/parport") + QString::number(port.Number);
}

QString TPpdevClaim::Problem(const TKernelPort& port) const
{
    const QString path = NodePath(port);
    // Asked with the effective ids: those are the ones open() will be judged by.
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) != 0)
        return NodeProblem(path, errno);
    return {};
}

int TPpdevClaim::TryClaim(const QString& path, bool exclusive)
{
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (handle < 0)
        throw EPortAccess(NodeProblem(path, errno));
    int error = exclusive ? Control(handle, PPEXCL) : 0;
    if (error == 0)
        error = Control(handle, PPCLAIM);
    if (error != 0) {
        ::close(handle);
        return error;
    }
    FHandle = handle;
    return 0;
}

void TPpdevClaim::Claim(const TKernelPort& port, const QString& name)
{
    Release();
    const QString path = NodePath(port);
    int error = TryClaim(path, true);
    // Refused registration: ENXIO from ppdev; EBUSY kept for kernels that say so.
    if (error == ENXIO || error == EBUSY) {
        const std::optional<QString> holder = TKernelPortList::Holder(FProcRoot, port);
        if (!holder || !holder->isEmpty())
            throw EPortAccess::InUse(name);
        error = TryClaim(path, false);
        if (error == ENXIO || error == EBUSY)
            throw EPortAccess::InUse(name);
    }
    if (error != 0)
        throw EPortAccess(
            QStringLiteral("Cannot claim %1 through %2: %3.").arg(name, path, SystemText(error)));
}

void TPpdevClaim::Release() noexcept
{
    if (FHandle < 0)
        return;
    // Closing alone would release and unregister as well; the explicit release keeps the
    // order plain when the port is watched with strace.
    ::ioctl(FHandle, PPRELEASE);
    ::close(FHandle);
    FHandle = -1;
}
