#pragma once

#include "framework/TCustomPanel.h"

#include <QPixmap>

#include <memory>

class TPicture;

// A panel whose background is a picture repeated in tiles from the top-left corner inside
// its bevels. Without a picture it looks like a plain panel.
class TWallpaper : public TCustomPanel
{
    Q_OBJECT
    // The picture as window declarations set it.
    Q_PROPERTY(QPixmap Wallpaper READ WallpaperGraphic WRITE SetWallpaperGraphic)

public:
    explicit TWallpaper(QWidget* parent = nullptr);
    ~TWallpaper() override;

    // The panel's own picture; changing it schedules a repaint.
    TPicture* Wallpaper() const { return FWallpaper.get(); }
    // Copies the picture into the panel's own; the caller keeps its picture.
    void SetWallpaper(const TPicture& picture);

    QPixmap WallpaperGraphic() const;
    void SetWallpaperGraphic(const QPixmap& graphic);

protected:
    void Paint(QPainter& canvas) override;

private:
    std::unique_ptr<TPicture> FWallpaper;
};
