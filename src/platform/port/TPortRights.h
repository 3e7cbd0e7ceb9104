#pragma once

#include "platform/port/TKernelPortList.h"

#include <QString>

#include <bitset>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// What the process was given for port I/O when it started: the rights are taken once, at
// the top of main(), and every capability is given up right after (AcquirePortRights), so
// this record is all the hardware backend can ever have. It also knows how to tell the
// user what is missing and what to do about it.
class TPortRights
{
public:
    // Filled by AcquirePortRights.
    bool Acquired = false; // the start-up step ran at all
    bool CapabilityHeld = false; // cap_sys_rawio was in the permitted set
    QString RaiseError; // the capability was held but could not be made effective
    bool NoIoperm = false; // ioperm does not exist here and the program is not root
    bool ThroughDevPort = false; // ioperm does not exist here; /dev/port serves root instead
    int DevPortHandle = -1; // kept open for the life of the process
    QString DevPortError;
    TKernelPortList PortsAtStart;
    std::map<std::uint16_t, int> RefusedPorts; // base -> errno of ioperm
    QString ProgramPath;
    // The copy of the program that holds the capability, when this user may not run it.
    QString PrivilegedCopyRefused;

    void Grant(std::uint16_t from, std::uint16_t count);
    // What Grant was given, as runs of consecutive addresses (from, count), lowest first.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> GrantedRuns() const;
    // True when the processor's port instructions may be used on address (ioperm), or
    // /dev/port is open.
    bool Granted(std::uint16_t address) const
    {
        return ThroughDevPort ? DevPortHandle >= 0 : FGranted.test(address);
    }

    // Why address, a register of the port at base that the user calls name, cannot be
    // used, and the remedy; empty when it can. knownNow tells whether the kernel lists the
    // port now.
    QString Missing(
        std::uint16_t address, std::uint16_t base, const QString& name, bool knownNow) const;

    // The record of this process, written once by AcquirePortRights().
    static TPortRights& Process();

private:
    std::bitset<65536> FGranted;
};
