#pragma once

#include "platform/port/TPrivilegeCalls.h"

// The real calls: libcap for the capability sets, ioperm on x86 (ENOSYS elsewhere), and
// /dev/port.
class TLinuxPrivilegeCalls : public TPrivilegeCalls
{
public:
    bool HoldsRawIo() override;
    int RaiseRawIo() override;
    int Ioperm(std::uint16_t from, std::uint16_t count) override;
    int ReleaseIoperm(std::uint16_t from, std::uint16_t count) override;
    bool RunsAsRoot() override;
    int OpenDevPort() override;
    int DropAllCapabilities() override;
    QString ProgramPath() override;
};
