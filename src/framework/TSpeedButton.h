#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The classic speed button: a button that takes no focus unless its window puts it in the Tab
// order (then Space and Enter press it), with a picture (Glyph) beside its caption. Flat, it shows
// no edge until the mouse is over it; pressed, it shows a sunken edge and its contents move down
// and right by one pixel. Disabled, the picture and the caption are greyed.
//
// Layout as the classic one: Margin is the space between the left edge and the picture, -1
// to centre picture and caption together; Spacing is the space between picture and caption.
//
// In a .ui file set these properties with stdset="0" (uic then calls setProperty).
class TSpeedButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)

public:
    explicit TSpeedButton(QWidget* parent = nullptr);

    const QPixmap& Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap& glyph);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);
    int Margin() const { return FMargin; }
    void SetMargin(int margin);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int spacing);

    // Where the picture and the caption go for the button's current size.
    QRect GlyphRect() const;
    QRect CaptionRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QSize GlyphSize() const;
    int CaptionWidth() const;
    void Layout(QRect* glyph, QRect* caption) const;

    QPixmap FGlyph;
    bool FFlat = true;
    int FMargin = -1;
    int FSpacing = 4;
    bool FHot = false;
};
