#pragma once

#include "platform/port/TKernelPortList.h"
#include "platform/port/TPortRights.h"

// Port rights as start-up leaves them when the capability was held and the kernel granted
// every listed port's registers.
inline TPortRights GrantedRights(const TKernelPortList& ports)
{
    TPortRights rights;
    rights.Acquired = true;
    rights.CapabilityHeld = true;
    rights.PortsAtStart = ports;
    rights.ProgramPath = QStringLiteral("/usr/bin/conveyor");
    for (const TKernelPort& port : ports.Ports()) {
        rights.Grant(port.Base, 3);
        if (port.HasEcr())
            rights.Grant(port.EcrAddress(), 1);
    }
    return rights;
}
