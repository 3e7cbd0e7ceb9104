#include "TKernelPort.h"

#include "platform/port/TPortAddress.h"

QString TKernelPort::Description() const
{
    QString text = QStringLiteral("%1 at %2").arg(Name, TPortAddress::Text(Base));
    if (!Modes.isEmpty())
        text += QStringLiteral(", modes ") + Modes.join(QLatin1Char(','));
    if (HasEcr())
        text
            += QStringLiteral(", extended control register at ") + TPortAddress::Text(EcrAddress());
    return text + QLatin1Char('.');
}
