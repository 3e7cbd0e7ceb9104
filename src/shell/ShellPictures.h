#pragma once

#include <QPixmap>
#include <QString>

// The shell's own pictures (resources/shell.qrc): the start-up picture "mascot", the
// toolbar emblem, the header markers and the rename panel's glyph. Resources of a static
// library need registering once before use; every user of them goes through here.
void InitShellPictures();

// A picture by its file name without ".png"; a null pixmap when there is none of that name.
QPixmap ShellPicture(const QString& name);
