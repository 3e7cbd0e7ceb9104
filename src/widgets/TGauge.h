#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>

// Shows how far a value has moved through a range: as a bar, a pie, a needle on a half
// dial or only as a percentage text laid over the picture in inverted colours. Every
// change that alters the picture redraws it at once, before the setter returns.
class TGauge : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TGaugeKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(bool ShowText READ ShowText WRITE SetShowText)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE SetForeColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE SetBackColor)
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Progress READ Progress WRITE SetProgress)

public:
    // How a gauge shows its value. Window declarations store the names.
    enum TGaugeKind
    {
        gkText,
        gkHorizontalBar,
        gkVerticalBar,
        gkPie,
        gkNeedle
    };
    Q_ENUM(TGaugeKind)
    // Whether the gauge draws a one-pixel frame around itself.
    enum TBorderStyle
    {
        bsNone,
        bsSingle
    };
    Q_ENUM(TBorderStyle)

    explicit TGauge(QWidget* parent = nullptr);

    TGaugeKind Kind() const { return FKind; }
    void SetKind(TGaugeKind kind);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool showText);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    QColor ForeColor() const { return FForeColor; }
    void SetForeColor(const QColor& color);
    QColor BackColor() const { return FBackColor; }
    void SetBackColor(const QColor& color);
    // Around the ellipse of the pie and the needle. Until a colour is set, the parent's
    // colour, or the palette's window colour.
    QColor Color() const;
    void SetColor(const QColor& color);

    // Raise EInvalidOperation for a minimum above the maximum or a maximum below the
    // minimum, except while loading.
    int MinValue() const { return FMinValue; }
    void SetMinValue(int value);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int value);
    int Progress() const { return FProgress; }
    // Clamps the value into the range; redraws only when the whole percentage moves.
    void SetProgress(int value);

    // The whole percentage of the range that Progress has covered, truncated.
    std::int64_t Percent() const;

    // While a window declaration is being applied, its properties may arrive in any order,
    // so the range checks are off.
    bool Loading() const { return FLoading; }
    void SetLoading(bool loading);

    // The gauge's picture as the paint operation puts it on the screen.
    QImage PaintImage() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect PaintRect() const;
    void PaintBackground(QImage& image, const QRect& paintRect) const;
    void PaintAsBar(QImage& image, const QRect& paintRect) const;
    void PaintAsPie(QImage& image, const QRect& paintRect) const;
    void PaintAsNeedle(QImage& image, const QRect& paintRect) const;
    void PaintAsText(QImage& image, const QRect& paintRect) const;

    int FMinValue = 0;
    int FMaxValue = 100;
    int FProgress = 0;
    TGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TBorderStyle FBorderStyle = bsSingle;
    QColor FForeColor = Qt::black;
    QColor FBackColor = Qt::white;
    QColor FColor;
    bool FLoading = false;
};

using TGaugeKind = TGauge::TGaugeKind;
using enum TGauge::TGaugeKind;
using TBorderStyle = TGauge::TBorderStyle;
using enum TGauge::TBorderStyle;
