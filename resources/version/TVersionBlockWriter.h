#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <utility>

// Builds a version block in the standard VS_VERSIONINFO layout: the fixed part, string
// tables per language and code page, and the translation table. The build uses it for the
// program's own block; tests use it for blocks of their own.
class TVersionBlockWriter
{
public:
    using TVersion = std::array<quint16, 4>;
    using TStrings = QList<std::pair<QString, QString>>;

    void SetFileVersion(const TVersion& version) { FFileVersion = version; }
    void SetProductVersion(const TVersion& version) { FProductVersion = version; }
    // A string table named by language and code page in hexadecimal, such as "040904E4".
    void AddStringTable(const QString& name, const TStrings& strings);
    // Entries of the translation table, language and code page; without a call the block
    // has no translation table at all, with an empty list an empty one.
    void SetTranslations(const QList<std::pair<quint16, quint16>>& translations);

    QByteArray Block() const;

    // "1.1.7.142" as four numbers; missing parts are 0. False for anything else.
    static bool ParseVersion(const QString& text, TVersion& version);

private:
    TVersion FFileVersion {};
    TVersion FProductVersion {};
    QList<std::pair<QString, TStrings>> FStringTables;
    bool FHasTranslations = false;
    QList<std::pair<quint16, quint16>> FTranslations;
};
