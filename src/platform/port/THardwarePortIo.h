#pragma once

#include "platform/port/TKernelPortList.h"
#include "platform/port/TPortIo.h"

#include <bitset>
#include <memory>
#include <optional>
#include <utility>

class TDevPortIo;
class TPortClaim;
class TPortRights;

// The real parallel port. Registers are reached directly: the processor's port
// instructions after ioperm on x86, or /dev/port where ioperm does not exist. Both rights
// are taken once when the program starts (AcquirePortRights); this backend only uses what
// was granted then, and names what is missing otherwise. Linux's ppdev driver is not used
// for the registers: it answers reads of the control register from its own copy instead
// of the lines, so it never sees the device. It is used to claim the port around a
// transfer, which keeps printer drivers and other programs off it.
//
// Only registers of a parallel port are ever touched: LPT1 and LPT2, and the ports the
// kernel lists (base to base + 2, and the extended control register). Any other address
// is refused before a single port access; a typo such as 0x20 would otherwise write to the
// interrupt controller.
class THardwarePortIo : public TPortIo
{
public:
    // rights: what start-up was granted. claim: the exclusive claim; nullptr for ppdev.
    // procRoot: where the kernel's port list is read. instructions: stands in for the
    // processor's port instructions or /dev/port, so tests can watch what would reach
    // the hardware.
    explicit THardwarePortIo(const TPortRights& rights, TPortClaim* claim = nullptr,
        const QString& procRoot = QStringLiteral("/proc"), TPortIo* instructions = nullptr);
    // The rights this process got at start-up.
    THardwarePortIo();
    ~THardwarePortIo() override;
    THardwarePortIo(const THardwarePortIo&) = delete;
    THardwarePortIo& operator=(const THardwarePortIo&) = delete;

    std::uint8_t Read(std::uint16_t address) override;
    void Write(std::uint16_t address, std::uint8_t value) override;

    // Checks that base is a parallel port this process may use, claims it when the
    // kernel's driver manages it and puts its ECR into PS/2 mode for the transfer.
    void Begin(std::uint16_t base) override;
    // Puts the ECR back and releases the claim.
    void End() noexcept override;

    // For a diagnosis: the ports the kernel lists now, and what keeps base from being used
    // (not a parallel port, a right missing), empty when nothing does.
    const TKernelPortList& KernelPorts();
    QString Problem(std::uint16_t base);
    const TPortRights& Rights() const { return FRights; }
    TPortClaim& Claim() { return *FClaim; }

    // The name of the port at base as the user knows it (LPT1, parport1, 0xD010).
    QString PortName(std::uint16_t base) const;

private:
    void Refresh();
    // Called for an address not yet known usable: makes it usable or raises EPortAccess.
    void Admit(std::uint16_t address);
    QString RegisterProblem(std::uint16_t address, std::uint16_t base) const;

    const TPortRights& FRights;
    std::unique_ptr<TPortClaim> FOwnClaim;
    TPortClaim* FClaim;
    QString FProcRoot;
    TPortIo* FInstructions;
    std::unique_ptr<TDevPortIo> FDevPort;
    TKernelPortList FPorts;
    bool FRefreshed = false;
    // Registers that are a parallel port's and granted.
    std::bitset<65536> FUsable;
    bool FClaimed = false;
    std::optional<std::pair<std::uint16_t, std::uint8_t>> FSavedEcr;
};
