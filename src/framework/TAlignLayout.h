#pragma once

#include <QLayout>
#include <QList>

class QWidget;

// How the classic windows lay out their controls: each control sits along the top, bottom,
// left or right edge of its parent (keeping its own height or width, stretched the other
// way), fills what those leave, or stays where it was placed. Controls give their place
// with the dynamic property "Align", in a .ui file as
// <property name="Align" stdset="0"><enum>TAlignLayout::alTop</enum></property>.
//
// The parent's layout places the top controls stacked from the top, then the bottom ones
// from the bottom, then the left and the right ones in the height that remains, then every
// filling one in what is left; within each edge the first child (in creation order) is the
// outermost, and a hidden control takes no room. Qt runs it whenever the parent changes
// size; it also runs at once when code changes the size of an aligned control or shows or
// hides one, as setting a classic control's size re-aligns its parent.
class TAlignLayout : public QLayout
{
    Q_OBJECT

public:
    enum TAlign
    {
        alNone,
        alTop,
        alBottom,
        alLeft,
        alRight,
        alClient
    };
    Q_ENUM(TAlign)

    explicit TAlignLayout(QWidget* parent);
    ~TAlignLayout() override;

    // Gives every container in the tree below root (root included) that has aligned
    // children a layout of this kind, and places everything once.
    static void Install(QWidget* root);

    // Lays out control, a child of the parent, along the given edge.
    void AddControl(QWidget* control, TAlign align);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    void setGeometry(const QRect& rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    Qt::Orientations expandingDirections() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TItem
    {
        QLayoutItem* Item;
        TAlign Align;
    };

    // The room a layout needs: edge controls keep their own extent across their edge and
    // need their minimum along it, filling ones need their minimum (or preferred) size.
    QSize Needed(bool preferred) const;
    void Place();

    QList<TItem> FItems;
    bool FPlacing = false;
};

using TAlign = TAlignLayout::TAlign;
using enum TAlignLayout::TAlign;

// The place a control asks for; alNone when it sets none.
TAlign AlignOf(const QWidget* control);
void SetAlign(QWidget* control, TAlign align);
