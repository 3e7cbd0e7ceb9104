#include "AcquirePortRights.h"

#include "platform/port/ExecPrivilegedCopy.h"
#include "platform/port/TLinuxPrivilegeCalls.h"
#include "platform/port/TPortAddress.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

TPortRights AcquirePortRights(TPrivilegeCalls& calls, const TKernelPortList& ports, int* dropError)
{
    TPortRights rights;
    rights.Acquired = true;
    rights.PortsAtStart = ports;
    rights.ProgramPath = calls.ProgramPath();
    rights.CapabilityHeld = calls.HoldsRawIo();
    if (rights.CapabilityHeld) {
        if (const int error = calls.RaiseRawIo(); error != 0) {
            rights.RaiseError = QString::fromLocal8Bit(std::strerror(error));
        } else {
            for (const TKernelPort& port : ports.Ports()) {
                int error = calls.Ioperm(port.Base, TPortAddress::RegisterCount);
                if (error == 0 && port.HasEcr())
                    error = calls.Ioperm(port.EcrAddress(), 1);
                if (error == ENOSYS) {
                    // No ioperm here. /dev/port would reach every I/O port, the interrupt
                    // controller and the PCI configuration space included, and this
                    // process goes on to load plugins its user's environment chooses: held
                    // by a program that only has the capability it would be as good as
                    // root. Root has every port anyway.
                    if (!calls.RunsAsRoot()) {
                        rights.NoIoperm = true;
                        break;
                    }
                    rights.ThroughDevPort = true;
                    const int handle = calls.OpenDevPort();
                    if (handle >= 0)
                        rights.DevPortHandle = handle;
                    else
                        rights.DevPortError = QString::fromLocal8Bit(std::strerror(-handle));
                    break;
                }
                if (error != 0) {
                    rights.RefusedPorts[port.Base] = error;
                    continue;
                }
                rights.Grant(port.Base, TPortAddress::RegisterCount);
                if (port.HasEcr())
                    rights.Grant(port.EcrAddress(), 1);
            }
        }
    }
    const int error = calls.DropAllCapabilities();
    if (dropError)
        *dropError = error;
    return rights;
}

void AcquirePortRights()
{
    TLinuxPrivilegeCalls calls;
    int dropError = 0;
    TPortRights::Process() = AcquirePortRights(calls, TKernelPortList::Read(), &dropError);
    if (const char* refused = PrivilegedCopyRefused())
        TPortRights::Process().PrivilegedCopyRefused = QString::fromLocal8Bit(refused);
    if (dropError != 0) {
        std::fprintf(stderr,
            "Conveyor cannot give up its capabilities (%s) and will not run with them.\n",
            std::strerror(dropError));
        std::exit(1);
    }
}
