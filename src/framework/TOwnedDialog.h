#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

// A dialog that belongs to an owner window and is shown without waiting for it: while it is
// open the owner is disabled; Escape closes it (it has no close box); and whenever it is
// hidden, by whatever route, the owner is enabled again. The dialog has no parent widget, so
// that disabling the owner leaves the dialog usable.
class TOwnedDialog : public QObject
{
    Q_OBJECT

public:
    // Watches dialog, which owns it; owner may be null.
    TOwnedDialog(QWidget& dialog, QWidget* owner);

    // Disables owner and shows dialog above it; the dialog's TOwnedDialog enables owner again
    // when the dialog is hidden.
    static void Show(QWidget& dialog, QWidget& owner);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& FDialog;
    QPointer<QWidget> FOwner;
};
