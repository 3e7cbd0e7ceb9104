#include "EPortAccess.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

EPortAccess EPortAccess::Refused(std::uint16_t address, int error)
{
    QString message = QStringLiteral("Cannot access the parallel port at 0x%1: %2.")
                          .arg(address, 3, 16, QLatin1Char('0'))
                          .arg(QString::fromLocal8Bit(std::strerror(error)));
    if (error == EPERM || error == EACCES) {
        const QString program = QCoreApplication::instance()
            ? QCoreApplication::applicationFilePath()
            : QStringLiteral("<program>");
        message += QStringLiteral(" Direct port access needs root rights: run the program as "
                                  "root, or grant it the cap_sys_rawio capability once with "
                                  "\"sudo setcap cap_sys_rawio+ep %1\".")
                       .arg(program);
    } else if (error == ENOSYS || error == ENOENT) {
        message += QStringLiteral(" This system lets no program reach I/O ports directly (its "
                                  "kernel offers neither ioperm nor /dev/port, as inside many "
                                  "containers and virtual machines).");
    }
    return EPortAccess(message);
}
