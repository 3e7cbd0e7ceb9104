#include "TLinuxPrivilegeCalls.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/capability.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CONVEYOR_IOPERM 1
#endif

bool TLinuxPrivilegeCalls::HoldsRawIo()
{
    cap_t caps = ::cap_get_proc();
    if (!caps)
        return false;
    cap_flag_value_t value = CAP_CLEAR;
    const bool held
        = ::cap_get_flag(caps, CAP_SYS_RAWIO, CAP_PERMITTED, &value) == 0 && value == CAP_SET;
    ::cap_free(caps);
    return held;
}

int TLinuxPrivilegeCalls::RaiseRawIo()
{
    cap_t caps = ::cap_get_proc();
    if (!caps)
        return errno;
    const cap_value_t rawIo[] = { CAP_SYS_RAWIO };
    int error = 0;
    if (::cap_set_flag(caps, CAP_EFFECTIVE, 1, rawIo, CAP_SET) != 0 || ::cap_set_proc(caps) != 0)
        error = errno;
    ::cap_free(caps);
    return error;
}

int TLinuxPrivilegeCalls::Ioperm(std::uint16_t from, std::uint16_t count)
{
#ifdef CONVEYOR_IOPERM
    return ::ioperm(from, count, 1) == 0 ? 0 : errno;
#else
    (void)from;
    (void)count;
    return ENOSYS;
#endif
}

int TLinuxPrivilegeCalls::ReleaseIoperm(std::uint16_t from, std::uint16_t count)
{
#ifdef CONVEYOR_IOPERM
    return ::ioperm(from, count, 0) == 0 ? 0 : errno;
#else
    (void)from;
    (void)count;
    return ENOSYS;
#endif
}

bool TLinuxPrivilegeCalls::RunsAsRoot()
{
    return ::getuid() == 0 && ::geteuid() == 0;
}

int TLinuxPrivilegeCalls::OpenDevPort()
{
    const int handle = ::open("/dev/port", O_RDWR | O_CLOEXEC);
    return handle >= 0 ? handle : -errno;
}

int TLinuxPrivilegeCalls::DropAllCapabilities()
{
    // Kernels before 4.3 have no ambient set; there is nothing to clear there.
    if (::cap_reset_ambient() != 0 && errno != EINVAL)
        return errno;
    cap_t none = ::cap_init();
    if (!none)
        return errno;
    const int error = ::cap_set_proc(none) == 0 ? 0 : errno;
    ::cap_free(none);
    return error;
}

QString TLinuxPrivilegeCalls::ProgramPath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0)
        return {};
    return QFile::decodeName(QByteArray(path, static_cast<qsizetype>(length)));
}
