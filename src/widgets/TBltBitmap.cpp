#include "TBltBitmap.h"

void TBltBitmap::MakeLike(const QImage& image)
{
    QImage::operator=(QImage(image.width(), image.height(), image.format()));
    // The classic window-frame colour.
    fill(Qt::black);
}
