#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// One parallel port as the kernel's parport driver lists it under
// /proc/sys/dev/parport/parportN.
struct TKernelPort
{
    QString Name; // "parport0"; the same N names its ppdev node /dev/parportN
    int Number = -1;
    std::uint16_t Base = 0;
    // The second register block (ECP FIFO, configuration and extended control). The kernel
    // shows 0 when the port has none; ISA ports show base + 0x400 even without an ECR, and
    // PCI cards put it wherever their second I/O range lies.
    std::uint16_t BaseHi = 0;
    QStringList Modes; // as the kernel names them: PCSPP, TRISTATE, COMPAT, EPP, ECP, DMA

    // The driver reports ECP only after finding an extended control register, so this is the
    // one sign that base_hi + 2 really is one and may be touched.
    bool HasEcr() const { return BaseHi != 0 && Modes.contains(QLatin1String("ECP")); }
    std::uint16_t EcrAddress() const { return static_cast<std::uint16_t>(BaseHi + 2); }
    // One line for a list of ports: "parport1 at 0xD010, modes PCSPP,TRISTATE,COMPAT,ECP,
    // extended control register at 0xD002."
    QString Description() const;
    // True for the registers a transfer uses: data, status, control, and the ECR.
    bool UsesRegister(std::uint16_t address) const
    {
        return (address >= Base && address - Base <= 2) || (HasEcr() && address == EcrAddress());
    }
};
