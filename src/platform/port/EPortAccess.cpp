#include "EPortAccess.h"

#include "platform/port/TPortAddress.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

EPortAccess EPortAccess::Refused(std::uint16_t address, int error)
{
    QString message = QStringLiteral("Cannot access the parallel port at %1: %2.")
                          .arg(TPortAddress::Text(address))
                          .arg(QString::fromLocal8Bit(std::strerror(error)));
    if (error == EPERM || error == EACCES) {
        const QString program = QCoreApplication::instance()
            ? QCoreApplication::applicationFilePath()
            : QStringLiteral("<program>");
        message += QLatin1Char(' ') + GrantCapabilityText(program);
    } else if (error == ENOSYS || error == ENOENT) {
        message += QStringLiteral(" This system lets no program reach I/O ports directly (its "
                                  "kernel offers neither ioperm nor /dev/port, as inside many "
                                  "containers and virtual machines).");
    }
    return EPortAccess(message);
}

EPortAccess EPortAccess::InUse(const QString& name)
{
    return EPortAccess(QStringLiteral("%1 is in use by another program.").arg(name));
}

QString EPortAccess::GrantCapabilityText(const QString& programPath)
{
    return QStringLiteral("Direct port access needs the capability cap_sys_rawio: grant it once "
                          "with \"sudo setcap cap_sys_rawio=p %1\" and start the program again.")
        .arg(programPath.isEmpty() ? QStringLiteral("<program>") : programPath);
}
