#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

class QPainter;

// The classic panel: a background colour, an outer bevel, a border of the background
// colour, an inner bevel and a caption centred in what is left. Children are laid out
// inside the bevels and the border.
class TCustomPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TPanelBevel BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(TPanelBevel BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)

public:
    // The look of one bevel ring: none, sunk into the surface or standing out of it. Window
    // declarations store the names.
    enum TPanelBevel
    {
        bvNone,
        bvLowered,
        bvRaised
    };
    Q_ENUM(TPanelBevel)

    explicit TCustomPanel(QWidget* parent = nullptr);

    // Until a colour is set, the panel shows the palette's button face.
    QColor Color() const;
    void SetColor(const QColor& color);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel bevel);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel bevel);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int width);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int width);

    // The width of the bevels and the border together on each side.
    int FrameSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Draws the panel; controls built on the panel draw their own content after it.
    virtual void Paint(QPainter& canvas);

private:
    void FrameChanged();

    QColor FColor;
    QString FCaption;
    TPanelBevel FBevelInner = bvNone;
    TPanelBevel FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
};

using TPanelBevel = TCustomPanel::TPanelBevel;
using enum TCustomPanel::TPanelBevel;
