#pragma once

#include "platform/port/TPortRights.h"

class TPrivilegeCalls;

// Port I/O needs cap_sys_rawio, and a program that keeps it while Qt loads plugins, styles
// and input methods could be made to use it for something else. So the right is used once:
// where the permitted set holds it, it is raised, I/O permission is asked for the
// registers of the ports the kernel lists (base to base + 2, and the extended control
// register where there is one) and nothing else; where ioperm does not exist, /dev/port is
// opened, but only by a program that runs as root. Then every capability is cleared from
// every set. The I/O permission and the open /dev/port stay for the life of the process;
// children are started through StartChildProcess, which gives the permission up in them.
//
// Returns what was granted; dropError is set when the capabilities could not be cleared.
TPortRights AcquirePortRights(
    TPrivilegeCalls& calls, const TKernelPortList& ports, int* dropError = nullptr);

// The first call of main(), before any Qt object exists: does the above with the real
// system calls and the ports in /proc and keeps the result in TPortRights::Process().
// A process that cannot give its capabilities up ends here with a message rather than run
// with them.
void AcquirePortRights();
