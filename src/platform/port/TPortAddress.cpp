#include "TPortAddress.h"

#include "platform/port/TKernelPortList.h"

#include <QRegularExpression>

QString TPortAddress::Text(std::uint16_t address)
{
    return QStringLiteral("0x") + QString::number(address, 16).toUpper();
}

std::optional<std::uint16_t> TPortAddress::Parse(
    const QString& text, const TKernelPortList& ports, QString* error)
{
    const auto fail = [error](const QString& message) -> std::optional<std::uint16_t> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QString given = text.trimmed();
    if (given.compare(QLatin1String("lpt1"), Qt::CaseInsensitive) == 0)
        return LPT1;
    if (given.compare(QLatin1String("lpt2"), Qt::CaseInsensitive) == 0)
        return LPT2;

    static const QRegularExpression kernelName(
        QStringLiteral("^parport\\d+$"), QRegularExpression::CaseInsensitiveOption);
    if (kernelName.match(given).hasMatch()) {
        if (const TKernelPort* port = ports.FindName(given))
            return port->Base;
        QStringList known;
        for (const TKernelPort& port : ports.Ports())
            known << port.Name;
        return fail(known.isEmpty()
                ? QStringLiteral("The kernel knows no port %1. %2").arg(given, ports.EmptyText())
                : QStringLiteral("The kernel knows no port %1; it lists %2.")
                      .arg(given, known.join(QStringLiteral(", "))));
    }

    static const QRegularExpression hex(
        QStringLiteral("^0x([0-9a-f]{1,4})$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = hex.match(given);
    if (match.hasMatch()) {
        const auto address = static_cast<std::uint16_t>(match.captured(1).toUInt(nullptr, 16));
        if (address == 0)
            return fail(QStringLiteral("No parallel port sits at address 0x0."));
        if (address > LastBase)
            return fail(QStringLiteral("No parallel port sits at %1: its registers would run past "
                                       "0xFFFF, the last I/O address (the highest base is %2).")
                            .arg(Text(address), Text(LastBase)));
        return address;
    }
    return fail(QStringLiteral("\"%1\" is not a port: give lpt1, lpt2, parportN or a "
                               "hexadecimal address such as 0xD010.")
                    .arg(given));
}

QString TPortAddress::Name(std::uint16_t base, const TKernelPortList& ports)
{
    if (base == LPT1)
        return QStringLiteral("LPT1");
    if (base == LPT2)
        return QStringLiteral("LPT2");
    if (const TKernelPort* port = ports.FindBase(base))
        return port->Name;
    return Text(base);
}

bool TPortAddress::IsParallelPortRegister(std::uint16_t address, const TKernelPortList& ports)
{
    const auto classic = [address](std::uint16_t base) {
        return address >= base && address - base < RegisterCount;
    };
    return classic(LPT1) || classic(LPT2) || ports.FindRegister(address) != nullptr;
}
