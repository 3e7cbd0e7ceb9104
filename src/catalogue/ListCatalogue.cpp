#include "ListCatalogue.h"

#include "catalogue/CatalogueRow.h"
#include "catalogue/ClassifyImageFile.h"
#include "catalogue/TArchiveCache.h"
#include "platform/FileListing.h"

std::vector<TTextRow> ListCatalogue(
    const QString& directory, const QString& mask, const TFileReadCallback& onFileRead)
{
    return CatalogueRows(directory, ListFiles(directory, mask), onFileRead);
}

std::vector<TTextRow> CatalogueRows(
    const QString& directory, const QStringList& names, const TFileReadCallback& onFileRead)
{
    const QString prefix = SelectedDirectory(directory);
    std::vector<TTextRow> rows;
    rows.reserve(std::size_t(names.size()));
    int number = 0;
    // Read only once an archive is met, written only when an archive was read.
    TArchiveCache cache(TArchiveCache::UserFolder());
    for (const QString& name : names) {
        if (onFileRead)
            onFileRead(++number);
        AppendCatalogueRows(prefix, name, rows, &cache);
    }
    cache.Save();
    // The window's scan has always sorted by file name three times: choosing the column
    // sorts, choosing the direction sorts, then an explicit sort. The sort is not stable and
    // a pass over rows it has just sorted may exchange rows with equal names (A.JAP and
    // A.V64), so the number of passes decides their order and so the first row, the one
    // "Deliver" sends without a click. Every caller gets these three passes and no other.
    for (int pass = 0; pass < 3; ++pass)
        SortTextRows(rows, 0, ccBaseName, sdAscending);
    return rows;
}
