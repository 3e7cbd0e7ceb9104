#include "TFileListBox.h"

#include "platform/FileListing.h"

#include <QDir>

TFileListBox::TFileListBox(QObject* parent)
    : QObject(parent)
    , FDirectory(QDir::currentPath())
    , FMask(DefaultFileMask)
{
}

void TFileListBox::SetDirectory(const QString& directory)
{
    if (FRead && directory == FDirectory)
        return;
    Read(directory, FMask);
}

void TFileListBox::SetMask(const QString& mask)
{
    if (mask == FMask)
        return;
    Read(FDirectory, mask);
}

void TFileListBox::Update()
{
    Read(FDirectory, FMask);
}

void TFileListBox::Read(const QString& directory, const QString& mask)
{
    // Listed first, so that a failure changes nothing.
    QStringList items = ListFiles(directory, mask);
    FDirectory = directory;
    FMask = mask;
    FItems = std::move(items);
    FRead = true;
    emit Change();
}
