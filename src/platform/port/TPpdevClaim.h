#pragma once

#include "platform/port/TPortClaim.h"

// The claim through the kernel's ppdev driver: /dev/parportN registered exclusively
// (PPEXCL) and claimed (PPCLAIM), released (PPRELEASE) and closed at the end.
//
// PPEXCL only marks the open file; the registration happens inside PPCLAIM, and an
// exclusive registration fails at once (ENXIO) while any other driver is registered on
// the port, instead of sleeping in parport_claim_or_block until that driver lets go. Once
// registered alone, the claim itself cannot block.
//
// The printer driver lp registers on every port when it loads and stays registered, idle,
// so on many desktops the exclusive registration is always refused. Then, if the kernel
// says no driver holds the port at this moment (devices/active reads "none"), the port is
// claimed shared: parport_claim_or_block finds it free and returns at once, and lp, which
// offers no way to take the port from its holder, waits until it is released.
// A fresh registration starts from the driver's initial state, which its claim writes to
// the port: control 0x0C and, where the port has an extended control register, 0x34
// (PS/2 mode), in which the control register reads back the lines.
class TPpdevClaim : public TPortClaim
{
public:
    // devRoot and procRoot stand in for /dev and /proc.
    explicit TPpdevClaim(const QString& devRoot = QStringLiteral("/dev"),
        const QString& procRoot = QStringLiteral("/proc"));
    ~TPpdevClaim() override;
    TPpdevClaim(const TPpdevClaim&) = delete;
    TPpdevClaim& operator=(const TPpdevClaim&) = delete;

    void Claim(const TKernelPort& port, const QString& name) override;
    void Release() noexcept override;
    QString Problem(const TKernelPort& port) const override;

    QString NodePath(const TKernelPort& port) const;

private:
    // Opens the node and claims it, exclusively or shared: 0 or the system error number.
    int TryClaim(const QString& path, bool exclusive);

    QString FDevRoot;
    QString FProcRoot;
    int FHandle = -1;
};
