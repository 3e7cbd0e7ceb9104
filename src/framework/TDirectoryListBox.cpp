#include "TDirectoryListBox.h"

#include "framework/FrameworkPictures.h"
#include "platform/EInOutError.h"
#include "platform/FileAccess.h"
#include "platform/RawText.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int IndentStep = 10;

// Shifts each item right by its level, as the classic list draws its tree.
class TIndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + Indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }

private:
    static int Indent(const QModelIndex& index)
    {
        return index.data(TDirectoryListBox::LevelRole).toInt() * IndentStep;
    }
};

// Names sort as they are shown, so that a Latin-1 "Café" stands among the other C's.
bool LessByName(const QString& left, const QString& right)
{
    const int order = ReadableRawText(left).compare(ReadableRawText(right), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : left < right;
}

QString Joined(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

#ifdef Q_OS_UNIX

// On Unix every path here is raw text (see RawText.h): a folder name need not be UTF-8, and
// Qt's own file classes would encode the bytes they cannot decode into other bytes.

QString CurrentFolder()
{
    const std::unique_ptr<char, void (*)(void*)> current(::getcwd(nullptr, 0), std::free);
    return current ? DecodeRawText(current.get()) : QDir::currentPath();
}

// The folder a path opens: the path made absolute and clean, or for a file the folder that
// holds it.
QString FolderOf(const QString& path)
{
    QString folder
        = QDir::cleanPath(path.startsWith(QLatin1Char('/')) ? path : Joined(CurrentFolder(), path));
    struct stat status;
    if (::stat(EncodeRawText(folder).constData(), &status) == 0 && !S_ISDIR(status.st_mode))
        folder = ParentFolder(folder);
    return folder;
}

#else

QString CurrentFolder()
{
    return QDir::currentPath();
}

QString FolderOf(const QString& path)
{
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        folder = info.absolutePath();
    return folder;
}

#endif

// The folder's subfolders, hidden ones left out, in case-insensitive order. QDir cannot
// tell why a folder cannot be read, so on Unix the folder is read directly.
QStringList ReadSubfolders(const QString& folder)
{
    QStringList names;
#ifdef Q_OS_UNIX
    const QByteArray encoded = EncodeRawText(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(encoded.constData()), closedir);
    if (!dir)
        throw EInOutError::Folder(folder, errno);
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                throw EInOutError::Folder(folder, errno);
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat status;
            isFolder = fstatat(dirfd(dir.get()), entry->d_name, &status, 0) == 0
                && S_ISDIR(status.st_mode);
        }
        if (isFolder)
            names.push_back(DecodeRawText(entry->d_name));
    }
#else
    const QDir dir(folder);
    if (!dir.exists())
        throw EInOutError::Folder(folder, ENOENT);
    if (!dir.isReadable())
        throw EInOutError::Folder(folder, EACCES);
    names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
#endif
    std::sort(names.begin(), names.end(), LessByName);
    return names;
}

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent)
{
    InitFrameworkPictures();
    setItemDelegate(new TIndentDelegate(this));
    setIconSize(QSize(16, 16));
    setUniformItemSizes(false);
    connect(this, &QListWidget::itemDoubleClicked, this,
        [this](QListWidgetItem* item) { OpenGuarded(item->data(PathRole).toString()); });

    // A constructor reports nothing: the first folder that can be read is shown.
    for (const QString& start : { CurrentFolder(), QDir::homePath(), QDir::rootPath() }) {
        try {
            const QString folder = QDir::cleanPath(start);
            Fill(folder, ReadSubfolders(folder));
            FDirectory = folder;
            break;
        } catch (const EInOutError&) {
        }
    }
}

void TDirectoryListBox::SetDirectory(const QString& path)
{
    if (path.isEmpty())
        throw EInOutError::Folder(path, ENOENT);
    const QString folder = FolderOf(path);
    const QStringList subfolders = ReadSubfolders(folder);
    const bool changed = folder != FDirectory;
    FDirectory = folder;
    Fill(folder, subfolders);
    if (!changed)
        return;

    std::erase_if(FLinks, [](const TLink& link) { return link.Context.isNull(); });
    // A link may add or drop links while it runs.
    const std::vector<TLink> links = FLinks;
    for (const TLink& link : links)
        if (link.Context)
            link.Follow(FDirectory);
    emit Change();
}

void TDirectoryListBox::Refresh()
{
    Fill(FDirectory, ReadSubfolders(FDirectory));
}

QString TDirectoryListBox::ItemPath(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(PathRole).toString() : QString();
}

void TDirectoryListBox::AddLink(QObject* context, std::function<void(const QString&)> link)
{
    FLinks.push_back({ context, std::move(link) });
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        event->accept();
        OpenGuarded(ItemPath(currentRow()));
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::Fill(const QString& directory, const QStringList& subfolders)
{
    const QPixmap drive = FrameworkPicture(QStringLiteral("drive-fixed"));
    const QPixmap open = FrameworkPicture(QStringLiteral("folder-open"));
    const QPixmap closed = FrameworkPicture(QStringLiteral("folder-closed"));

    clear();
    const auto add
        = [this](const QPixmap& picture, const QString& text, const QString& path, int level) {
              auto* entry = new QListWidgetItem(QIcon(picture), text, this);
              entry->setData(PathRole, path);
              entry->setData(LevelRole, level);
          };

    // The root keeps its separator ("/", or "C:/" elsewhere); every other folder is a name.
    const qsizetype rootEnd = directory.indexOf(QLatin1Char('/')) + 1;
    QString path = directory.left(rootEnd);
    add(drive, ReadableRawText(path), path, 0);
    int level = 0;
    for (const QString& name : directory.mid(rootEnd).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = Joined(path, name);
        add(open, ReadableRawText(name), path, ++level);
    }
    const int current = count() - 1;
    for (const QString& name : subfolders)
        add(closed, ReadableRawText(name), Joined(directory, name), level + 1);

    setCurrentRow(current);
    scrollToItem(item(current));
}

void TDirectoryListBox::OpenGuarded(const QString& path)
{
    Guarded([this, path] {
        try {
            SetDirectory(path);
        } catch (...) {
            // The item may stand for a folder that has gone: show what is there now.
            try {
                Refresh();
            } catch (...) {
            }
            throw;
        }
    });
}
