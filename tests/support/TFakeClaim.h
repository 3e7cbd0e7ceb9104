#pragma once

#include "TRecordingPort.h"
#include "platform/port/EPortAccess.h"
#include "platform/port/TKernelPort.h"
#include "platform/port/TPortClaim.h"

#include <QString>
#include <QStringList>

// A claim layer that only writes down what was asked of it, with the number of register
// accesses the watched port had seen at that moment, so a test sees the order of claim,
// port access and release.
class TFakeClaim : public TPortClaim
{
public:
    explicit TFakeClaim(const TRecordingPort* watched = nullptr)
        : FWatched(watched)
    {
    }

    void Claim(const TKernelPort& port, const QString& name) override
    {
        Events << QStringLiteral("claim %1 as %2 after %3").arg(port.Name, name).arg(Accesses());
        if (Busy)
            throw EPortAccess::InUse(name);
        Held = true;
    }

    void Release() noexcept override
    {
        if (!Held)
            return;
        Events << QStringLiteral("release after %1").arg(Accesses());
        Held = false;
    }

    QString Problem(const TKernelPort&) const override { return NodeProblem; }

    QStringList Events;
    bool Held = false;
    bool Busy = false; // another program holds every port
    QString NodeProblem;

private:
    qsizetype Accesses() const
    {
        return FWatched ? static_cast<qsizetype>(FWatched->Trace.size()) : 0;
    }

    const TRecordingPort* FWatched;
};
