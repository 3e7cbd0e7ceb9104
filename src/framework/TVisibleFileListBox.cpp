#include "TVisibleFileListBox.h"

#include "platform/RawText.h"

#include <QDir>
#include <QMouseEvent>

TVisibleFileListBox::TVisibleFileListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(&FFiles, &TFileListBox::Change, this, [this] {
        Fill();
        emit Change();
    });
    connect(this, &QListWidget::itemClicked, this, [this] { emit Click(); });
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit DblClick(); });
}

void TVisibleFileListBox::SetDirectory(const QString& directory)
{
    FFiles.SetDirectory(directory);
}

void TVisibleFileListBox::SetMask(const QString& mask)
{
    FFiles.SetMask(mask);
}

void TVisibleFileListBox::Update()
{
    FFiles.Update();
}

QString TVisibleFileListBox::FileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty())
        return QString();
    return QDir(FFiles.Directory()).filePath(selected.front()->data(Qt::UserRole).toString());
}

void TVisibleFileListBox::mousePressEvent(QMouseEvent* event)
{
    // A single-selection view would drop its selection here; the classic list keeps it.
    if (!itemAt(event->position().toPoint())) {
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

void TVisibleFileListBox::keyPressEvent(QKeyEvent* event)
{
    const QString before = FileName();
    QListWidget::keyPressEvent(event);
    const QString after = FileName();
    if (!after.isEmpty() && after != before)
        emit Click();
}

void TVisibleFileListBox::Fill()
{
    clear();
    // Each item shows its name as well as it reads and keeps the name's own bytes.
    for (const QString& name : FFiles.Items()) {
        auto* item = new QListWidgetItem(ReadableRawText(name), this);
        item->setData(Qt::UserRole, name);
    }
}
