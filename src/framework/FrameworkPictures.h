#pragma once

#include <QPixmap>
#include <QString>

// The framework's own pictures (resources/images, 16 x 16): toolbar glyphs and the pictures
// of the drive box and the directory list. Resources of a static library need registering
// once before use; every user of them goes through here.
void InitFrameworkPictures();

// A picture by its file name without ".png", for instance "folder-open"; a null pixmap when
// there is none of that name.
QPixmap FrameworkPicture(const QString& name);

// Where a picture of that name lies in the resources. Every library keeps its pictures in
// the same folder, ":/images", so the windows' descriptions find them all alike.
QString PicturePath(const QString& name);
