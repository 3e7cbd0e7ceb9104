#include "FileListing.h"

#include "platform/EInOutError.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace {

QStringList SplitMask(const QString& mask)
{
    QStringList patterns;
    for (const QString& part : mask.split(QLatin1Char(';'))) {
        const QString pattern = part.trimmed();
        if (!pattern.isEmpty())
            patterns.append(pattern.toCaseFolded());
    }
    if (patterns.isEmpty())
        patterns.append(QStringLiteral("*"));
    return patterns;
}

// Both texts are case-folded already. Classic backtracking over the last "*": linear for
// the usual one-star patterns, never exponential.
bool MatchFolded(QStringView name, QStringView pattern)
{
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size()
            && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

bool MatchesFolded(QStringView name, QStringView pattern)
{
    if (MatchFolded(name, pattern))
        return true;
    return pattern.endsWith(QLatin1String(".*")) && !name.contains(QLatin1Char('.'))
        && MatchFolded(name, pattern.chopped(2));
}

bool MatchesAny(const QString& name, const QStringList& foldedPatterns)
{
    const QString folded = name.toCaseFolded();
    return std::any_of(foldedPatterns.cbegin(), foldedPatterns.cend(),
        [&](const QString& pattern) { return MatchesFolded(folded, pattern); });
}

bool IsPlainFile(DIR* directory, const dirent* entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return true;
    case DT_LNK:
    case DT_UNKNOWN: {
        // Follows the link: a link counts when it ends at a regular file.
        struct stat status;
        return ::fstatat(::dirfd(directory), entry->d_name, &status, 0) == 0
            && S_ISREG(status.st_mode);
    }
    default:
        return false;
    }
}

[[noreturn]] void FailDirectory(const QString& directory, int errorCode)
{
    throw EInOutError(errorCode,
        QStringLiteral("Cannot read directory %1: %2")
            .arg(ReadableRawText(directory), SystemErrorMessage(errorCode)));
}

} // namespace

bool MatchesFilePattern(const QString& name, const QString& pattern)
{
    return MatchesFolded(name.toCaseFolded(), pattern.toCaseFolded());
}

bool MatchesFileMask(const QString& name, const QString& mask)
{
    return MatchesAny(name, SplitMask(mask));
}

QStringList ListFiles(const QString& directory, const QString& mask)
{
    const QStringList patterns = SplitMask(mask);
    std::unique_ptr<DIR, int (*)(DIR*)> handle(
        ::opendir(EncodeRawText(directory).constData()), &::closedir);
    if (!handle)
        FailDirectory(directory, errno);

    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (!entry) {
            if (errno != 0)
                FailDirectory(directory, errno);
            break;
        }
        if (entry->d_name[0] == '.' || !IsPlainFile(handle.get(), entry))
            continue;
        // Names keep every byte the system gave, valid UTF-8 or not, so each opens again.
        const QString name = DecodeRawText(entry->d_name);
        // The directory yields every name once; testing all patterns per name keeps it so.
        if (MatchesAny(name, patterns))
            names.append(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return names;
}
