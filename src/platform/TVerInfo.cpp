#include "TVerInfo.h"

#include "platform/ProgramFile.h"
#include "platform/VersionResource.h"

namespace {

constexpr quint16 EnglishUS = 0x0409;

quint16 Word(QByteArrayView bytes, qsizetype offset)
{
    return quint16(quint8(bytes[offset]) | quint16(quint8(bytes[offset + 1])) << 8);
}

// The text of a UTF-16 value up to its terminating zero (or its end, should it lack one).
QString ValueText(QByteArrayView value)
{
    QString text;
    for (qsizetype at = 0; at + 1 < value.size(); at += 2) {
        const quint16 unit = Word(value, at);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

} // namespace

TVerInfo::TVerInfo(QObject* owner)
    : TVerInfo(owner, ProgramFilePath())
{
}

TVerInfo::TVerInfo(QObject* owner, const QString& programFile)
    : QObject(owner)
{
    Read(programFile);
}

void TVerInfo::Read(const QString& programFile)
{
    const quint32 size = VersionBlockSize(programFile);
    if (size == 0)
        return;
    QByteArray block(qsizetype(size), '\0');
    if (!ReadVersionBlock(programFile, block))
        return;

    // The first U.S. English table wins, else the last one listed; no table at all means
    // U.S. English with code page 0.
    quint16 language = EnglishUS;
    quint16 codePage = 0x0000;
    QByteArrayView translations;
    if (QueryVersionValue(block, QStringLiteral("\\VarFileInfo\\Translation"), translations)) {
        const qsizetype entries = translations.size() / 4;
        for (qsizetype i = 0; i < entries; ++i) {
            language = Word(translations, i * 4);
            codePage = Word(translations, i * 4 + 2);
            if (language == EnglishUS)
                break;
        }
    }

    const QString table = QStringLiteral("%1%2")
                              .arg(language, 4, 16, QLatin1Char('0'))
                              .arg(codePage, 4, 16, QLatin1Char('0'))
                              .toUpper();
    const QString prefix = QStringLiteral("\\StringFileInfo\\") + table + QLatin1Char('\\');
    auto text = [&](const char* key) {
        QByteArrayView value;
        if (!QueryVersionValue(block, prefix + QLatin1String(key), value))
            return QString();
        return ValueText(value);
    };
    FCompanyName = text("CompanyName");
    FFileDescription = text("FileDescription");
    FFileVersion = text("FileVersion");
    FInternalName = text("InternalName");
    FLegalCopyright = text("LegalCopyRight");
    FOriginalFilename = text("OriginalFileName");
    FProductName = text("ProductName");
    FProductVersion = text("ProductVersion");
}
