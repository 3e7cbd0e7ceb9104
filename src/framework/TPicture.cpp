#include "TPicture.h"

TPicture::TPicture(QObject* parent)
    : QObject(parent)
{
}

void TPicture::SetGraphic(const QPixmap& graphic)
{
    FGraphic = graphic;
    emit Changed();
}

void TPicture::Assign(const TPicture& source)
{
    if (&source != this)
        SetGraphic(source.Graphic());
}

void TPicture::Clear()
{
    SetGraphic(QPixmap());
}
