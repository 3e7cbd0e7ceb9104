#include "TOpenTarget.h"

#include "catalogue/FileFilters.h"
#include "platform/EInOutError.h"
#include "platform/FileAccess.h"
#include "platform/FileListing.h"
#include "platform/PathKind.h"
#include "platform/RawText.h"

#include <QStringList>

#include <algorithm>

namespace {

bool ListsEveryName(const QString& mask)
{
    const QStringList patterns = mask.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return patterns.isEmpty()
        || std::any_of(patterns.begin(), patterns.end(), [](const QString& pattern) {
               return pattern == QLatin1String("*") || pattern == QLatin1String("*.*");
           });
}

} // namespace

TOpenTarget TOpenTarget::Examine(const QString& path)
{
    TOpenTarget target;
    TPathKind kind;
    try {
        kind = OpenedPathKind(path);
    } catch (const EInOutError& error) {
        target.Problem = QLatin1Char(' ') + error.Message();
        return target;
    }
    if (kind == pkOther) {
        target.Problem = QStringLiteral(" Cannot open %1: it is neither a file nor a folder")
                             .arg(ReadableRawText(path));
        return target;
    }
    if (kind == pkFolder) {
        target.Folder = path;
        return target;
    }
    target.Folder = ParentFolder(path);
    target.FileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    // The listing leaves hidden files out, as a file manager does: the folder opens, and the
    // status line says why the file is not there.
    if (target.FileName.startsWith(QLatin1Char('.'))) {
        target.Problem = QStringLiteral(" %1 is a hidden file, which the table does not list")
                             .arg(ReadableRawText(target.FileName));
        target.FileName.clear();
    }
    return target;
}

std::optional<int> TOpenTarget::FilterItemListing(const QString& name, const QString& mask)
{
    if (MatchesFileMask(name, mask))
        return std::nullopt;
    // Tested by mask, not by place: items come and go. An item that lists every name would
    // come first for any file it precedes; a narrower one that lists the file tells the user
    // more ("All Images" for a .z64), so such an item serves only when no other does.
    for (const bool everyName : { false, true }) {
        for (std::size_t item = 0; item < FileFilters.size(); ++item) {
            const QString& itemMask = FileFilters[item].Mask;
            if (ListsEveryName(itemMask) == everyName && MatchesFileMask(name, itemMask))
                return int(item);
        }
    }
    return std::nullopt;
}
