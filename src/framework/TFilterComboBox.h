#pragma once

#include "framework/TBindableControl.h"

#include <QComboBox>
#include <QPointer>

#include <functional>
#include <vector>

// The file-type box: Filter holds "Description|mask" pairs one after the other
// ("Wave files (*.wav)|*.wav|All files (*.*)|*.*"); the box lists the descriptions and
// Mask is the chosen item's mask. Each change of item, by the user or from code, lets the
// linked controls (the file list) follow the new mask and then raises the change event.
// A new Filter chooses its first item.
//
// In a .ui file set Filter with stdset="0" (uic then calls setProperty).
class TFilterComboBox : public QComboBox, public TBindableControl
{
    Q_OBJECT
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(QString Mask READ Mask)

public:
    explicit TFilterComboBox(QWidget* parent = nullptr);

    const QString& Filter() const { return FFilter; }
    void SetFilter(const QString& filter);
    // The chosen item's mask; "*.*" when no item is chosen or the pair has no mask.
    QString Mask() const;

    // link(mask) runs on every change of item, while context lives.
    void AddLink(QObject* context, std::function<void(const QString& mask)> link);

signals:
    void Change();

private:
    struct TLink
    {
        QPointer<QObject> Context;
        std::function<void(const QString&)> Follow;
    };

    void Changed();

    QString FFilter;
    std::vector<TLink> FLinks;
};
