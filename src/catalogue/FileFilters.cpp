#include "FileFilters.h"

#include <algorithm>

int FileFilterIndex(const QString& mask)
{
    const auto found = std::find_if(FileFilters.begin(), FileFilters.end(),
        [&mask](const TFileFilter& filter) { return filter.Mask == mask; });
    return found == FileFilters.end() ? -1 : int(found - FileFilters.begin());
}

QString CurrentFileMask(const QString& storedMask)
{
    if (storedMask == QLatin1String("*.v64;*.jap;*.pal;*.usa;*.us;*.z64;*.n64"))
        return FileFilters[7].Mask;
    return storedMask;
}
