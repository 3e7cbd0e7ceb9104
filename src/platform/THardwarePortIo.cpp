#include "THardwarePortIo.h"

#include "EPortAccess.h"
#include "TDevPortIo.h"

#include <QtGlobal>

#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CONVEYOR_PORT_INSTRUCTIONS 1
#endif

THardwarePortIo::THardwarePortIo()
{
#ifndef CONVEYOR_PORT_INSTRUCTIONS
    FDevPort = std::make_unique<TDevPortIo>();
#endif
}

THardwarePortIo::~THardwarePortIo() = default;

bool THardwarePortIo::Grant(std::uint16_t address)
{
#ifdef CONVEYOR_PORT_INSTRUCTIONS
    if (::ioperm(address, 1, 1) != 0) {
        // A kernel built without ioperm may still offer /dev/port.
        if (errno != ENOSYS)
            throw EPortAccess::Refused(address, errno);
        FDevPort = std::make_unique<TDevPortIo>();
        return false;
    }
    FGranted.set(address);
    return true;
#else
    Q_UNUSED(address);
    return false;
#endif
}

std::uint8_t THardwarePortIo::Read(std::uint16_t address)
{
#ifdef CONVEYOR_PORT_INSTRUCTIONS
    if (FGranted.test(address) || (!FDevPort && Grant(address)))
        return ::inb(address);
#endif
    return FDevPort->Read(address);
}

void THardwarePortIo::Write(std::uint16_t address, std::uint8_t value)
{
#ifdef CONVEYOR_PORT_INSTRUCTIONS
    if (FGranted.test(address) || (!FDevPort && Grant(address))) {
        ::outb(value, address);
        return;
    }
#endif
    FDevPort->Write(address, value);
}
