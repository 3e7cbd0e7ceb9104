#pragma once

#include "TTestFolder.h"

#include <QByteArray>
#include <QString>

// A temporary folder laid out like /proc for the kernel's list of parallel ports.
class TProcFolder : public TTestFolder
{
public:
    TProcFolder()
    {
        // What every machine with the parport driver loaded has beside its ports.
        Write(QStringLiteral("sys/dev/parport/default/timeslice"), "200\n");
        Write(QStringLiteral("sys/dev/parport/default/spintime"), "500\n");
    }

    // One port as the kernel shows it: base-addr is "base\tbase_hi\n" in decimal.
    void AddPort(const QString& name, const QByteArray& baseAddr, const QByteArray& modes) const
    {
        const QString folder = QStringLiteral("sys/dev/parport/") + name + QLatin1Char('/');
        Write(folder + QStringLiteral("base-addr"), baseAddr);
        Write(folder + QStringLiteral("modes"), modes);
        Write(folder + QStringLiteral("irq"), "-1\n");
    }

    // An onboard port at 0x378 with its ECR at 0x77A, and a PCI Express card at 0xD010
    // whose ECR is at 0xD002.
    void AddOnboardAndCard() const
    {
        AddPort(QStringLiteral("parport0"), "888\t1912\n", "PCSPP,TRISTATE,COMPAT,EPP,ECP\n");
        AddPort(QStringLiteral("parport1"), "53264\t53248\n", "PCSPP,TRISTATE,COMPAT,ECP\n");
    }
};
