#include "FrameworkPictures.h"

#include <QtGlobal>

#include <mutex>

void InitFrameworkPictures()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(framework); });
}

QPixmap FrameworkPicture(const QString& name)
{
    InitFrameworkPictures();
    return QPixmap(PicturePath(name));
}

QString PicturePath(const QString& name)
{
    return QStringLiteral(":/images/%1.png").arg(name);
}
