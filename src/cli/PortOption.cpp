#include "PortOption.h"

QCommandLineOption PortOption()
{
    return QCommandLineOption(QStringLiteral("port"),
        QStringLiteral("The parallel port: lpt1 at 0x378 (the default) or lpt2 at 0x278."),
        QStringLiteral("lpt1|lpt2"), QStringLiteral("lpt1"));
}

std::optional<TParallelPort> ChosenPort(const QCommandLineParser& parser)
{
    const QString name = parser.value(PortOption()).toLower();
    if (name == QLatin1String("lpt1"))
        return ppLPT1;
    if (name == QLatin1String("lpt2"))
        return ppLPT2;
    return std::nullopt;
}

QString UnknownPortText(const QCommandLineParser& parser)
{
    return QStringLiteral("unknown port '%1'").arg(parser.value(PortOption()));
}
