#pragma once

#include <QString>

struct TKernelPort;

// Exclusive use of a port the kernel's parport driver manages, for the length of one
// transfer: while it is held no printer driver or other program writes to the port.
// Register I/O does not go through it.
class TPortClaim
{
public:
    virtual ~TPortClaim();

    // Takes port for this program alone, or raises EPortAccess saying why not (another
    // program holds it: "LPT1 is in use by another program."; no device node; no right to
    // it). name is the port as the user knows it. Never waits for the port to come free.
    virtual void Claim(const TKernelPort& port, const QString& name) = 0;
    // Gives the port back; does nothing when nothing is held.
    virtual void Release() noexcept = 0;
    // What would keep Claim from working that can be seen without claiming (the device
    // node missing or not ours to open); empty when nothing does.
    virtual QString Problem(const TKernelPort& port) const = 0;
};
