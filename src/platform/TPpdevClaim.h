#pragma once

#include "TPortClaim.h"

// The claim through the kernel's ppdev driver: /dev/parportN registered exclusively
// (PPEXCL) and claimed (PPCLAIM), released (PPRELEASE) and closed at the end.
//
// PPEXCL only marks the open file; the registration happens inside PPCLAIM, and an
// exclusive registration fails at once (ENXIO) while any other driver (lp, another ppdev
// user) is registered on the port, instead of sleeping in parport_claim_or_block until
// that driver lets go. Once registered alone, the claim itself cannot block.
// A fresh registration starts from the driver's initial state, which its claim writes to
// the port: control 0x0C and, where the port has an extended control register, 0x34
// (PS/2 mode), in which the control register reads back the lines.
class TPpdevClaim : public TPortClaim
{
public:
    // devRoot stands in for /dev.
    explicit TPpdevClaim(const QString& devRoot = QStringLiteral("/dev"));
    ~TPpdevClaim() override;
    TPpdevClaim(const TPpdevClaim&) = delete;
    TPpdevClaim& operator=(const TPpdevClaim&) = delete;

    void Claim(const TKernelPort& port, const QString& name) override;
    void Release() noexcept override;
    QString Problem(const TKernelPort& port) const override;

    QString NodePath(const TKernelPort& port) const;

private:
    QString FDevRoot;
    int FHandle = -1;
};
