#include "TDevPortIo.h"

#include "platform/port/EPortAccess.h"
#include "platform/port/TPortAddress.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

EPortAccess TransferFailed(const char* what, std::uint16_t address, int error)
{
    return EPortAccess(QStringLiteral("Cannot %1 the parallel port at %2: %3.")
                           .arg(QLatin1String(what))
                           .arg(TPortAddress::Text(address))
                           .arg(QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

TDevPortIo::TDevPortIo(const QString& devicePath)
    : FDevicePath(devicePath)
{
}

TDevPortIo::TDevPortIo(int handle)
    : FHandle(handle)
    , FOwnsHandle(false)
{
}

TDevPortIo::~TDevPortIo()
{
    if (FHandle >= 0 && FOwnsHandle)
        ::close(FHandle);
}

void TDevPortIo::Open(std::uint16_t address)
{
    FHandle = ::open(QFile::encodeName(FDevicePath).constData(), O_RDWR | O_CLOEXEC);
    if (FHandle < 0)
        throw EPortAccess::Refused(address, errno);
}

std::uint8_t TDevPortIo::Read(std::uint16_t address)
{
    if (FHandle < 0)
        Open(address);
    std::uint8_t value = 0;
    ssize_t done;
    do
        done = ::pread(FHandle, &value, 1, address);
    while (done < 0 && errno == EINTR);
    if (done != 1)
        throw TransferFailed("read", address, done < 0 ? errno : EIO);
    return value;
}

void TDevPortIo::Write(std::uint16_t address, std::uint8_t value)
{
    if (FHandle < 0)
        Open(address);
    ssize_t done;
    do
        done = ::pwrite(FHandle, &value, 1, address);
    while (done < 0 && errno == EINTR);
    if (done != 1)
        throw TransferFailed("write", address, done < 0 ? errno : EIO);
}
