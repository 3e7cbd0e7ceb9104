#pragma once

#include <QString>

#include <cstdint>

// The system calls that port rights are taken and given up with, behind one seam so that
// tests can see what is asked for without holding or losing any right. Each returns 0 or
// the system error number.
class TPrivilegeCalls
{
public:
    virtual ~TPrivilegeCalls();

    // cap_sys_rawio is in the permitted set.
    virtual bool HoldsRawIo() = 0;
    // Makes cap_sys_rawio effective.
    virtual int RaiseRawIo() = 0;
    // I/O permission for count ports from from on; ENOSYS where the kernel has no ioperm.
    virtual int Ioperm(std::uint16_t from, std::uint16_t count) = 0;
    // Gives up the I/O permission for count ports from from on. Called in a child between
    // fork and execve, so it may only make async-signal-safe calls.
    virtual int ReleaseIoperm(std::uint16_t from, std::uint16_t count) = 0;
    // The real and the effective user are root.
    virtual bool RunsAsRoot() = 0;
    // Opens /dev/port for reading and writing: the handle, or minus the error number.
    virtual int OpenDevPort() = 0;
    // Clears every capability from the effective, permitted and inheritable sets and the
    // ambient set.
    virtual int DropAllCapabilities() = 0;
    // The program file, for the command that grants it the capability.
    virtual QString ProgramPath() = 0;
};
