#include "FileFilters.h"

#include <algorithm>

int FileFilterIndex(const QString& mask)
{
    const auto found = std::find_if(FileFilters.begin(), FileFilters.end(),
        [&mask](const TFileFilter& filter) { return filter.Mask == mask; });
    return found == FileFilters.end() ? -1 : int(found - FileFilters.begin());
}
