#include "ShellPictures.h"

#include "framework/FrameworkPictures.h"

#include <mutex>

// Outside any namespace: the resource registration names a function of the global one.
void InitShellPictures()
{
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(shell); });
}

QPixmap ShellPicture(const QString& name)
{
    InitShellPictures();
    return QPixmap(PicturePath(name));
}
