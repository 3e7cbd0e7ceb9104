#include "ProgramFile.h"

#include <QFileInfo>

QString ProgramFilePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}
