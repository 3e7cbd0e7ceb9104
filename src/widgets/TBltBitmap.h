#pragma once

#include <QImage>

// A temporary image the gauge paints into, shaped after another image.
class TBltBitmap : public QImage
{
public:
    TBltBitmap() = default;

    // Takes the template's width, height and format and fills the whole image with the
    // window-frame colour.
    void MakeLike(const QImage& image);
};
