#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The names of a directory's plain files that match a mask, kept up to date when the
// directory or the mask changes. Change tells every fresh reading. A directory that cannot
// be read raises EInOutError and leaves directory, mask and items as they were.
class TFileListBox : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory)
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)

public:
    explicit TFileListBox(QObject* parent = nullptr);

    const QString& Directory() const { return FDirectory; }
    // Reads the directory when it differs from the one listed (or nothing was read yet).
    void SetDirectory(const QString& directory);
    const QString& Mask() const { return FMask; }
    // Reads again only when the mask differs from the one in force.
    void SetMask(const QString& mask);
    const QStringList& Items() const { return FItems; }
    // Reads the directory again.
    void Update();

signals:
    void Change();

private:
    void Read(const QString& directory, const QString& mask);

    QString FDirectory;
    QString FMask;
    QStringList FItems;
    bool FRead = false;
};
