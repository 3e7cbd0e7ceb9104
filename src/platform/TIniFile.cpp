#include "TIniFile.h"

#include "platform/EIniFileException.h"
#include "platform/FileAccess.h"
#include "platform/IoErrorText.h"
#include "platform/RawText.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longest string a read returns, in characters.
constexpr qsizetype MaxStringLength = 1023;

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin).toString();
}

// Cuts after the given number of characters without splitting a surrogate pair.
QString CutToCharacters(const QString& text, qsizetype characters)
{
    qsizetype units = 0;
    for (qsizetype counted = 0; counted < characters && units < text.size(); ++counted) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size()
            && text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return units < text.size() ? text.left(units) : text;
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Hexadecimal digits only; the value must fit 32 bits and fills them, so FFFFFFFF is -1.
qint32 ParseHexadecimal(QStringView digits, qint32 defaultValue)
{
    if (digits.isEmpty())
        return defaultValue;
    quint64 value = 0;
    for (QChar c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return defaultValue;
        value = value * 16 + quint64(digit);
        if (value > 0xFFFFFFFFu)
            return defaultValue;
    }
    return qint32(quint32(value));
}

qint32 ParseInteger(QStringView text, qint32 defaultValue)
{
    if (text.size() > 2 && text[0] == QLatin1Char('0')
        && (text[1] == QLatin1Char('x') || text[1] == QLatin1Char('X')))
        return ParseHexadecimal(text.mid(2), defaultValue);

    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('$'))
        return ParseHexadecimal(text.mid(i + 1), defaultValue);

    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return defaultValue;
    // Stopping once past 2^31, the largest magnitude a 32-bit value takes, keeps any run of
    // digits far from overflowing 64 bits.
    constexpr qint64 Limit = qint64(1) << 31;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < u'0' || u > u'9')
            return defaultValue;
        magnitude = magnitude * 10 + (u - u'0');
        if (magnitude > Limit)
            return defaultValue;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return defaultValue;
    return qint32(value);
}

const QByteArray Utf8ByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// The whole of a regular file of at most maxSize bytes, read from the one descriptor that was
// checked; the reason in error otherwise. The size fstat gives is not trusted: files under /proc
// say 0 and hold bytes.
QByteArray ReadRegularFile(int fd, qint64 maxSize, QString& error)
{
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        error = SystemErrorMessage(errno);
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        error = QStringLiteral("not a regular file");
        return {};
    }
    QByteArray text;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            error = SystemErrorMessage(errno);
            return {};
        }
        if (count == 0)
            return text;
        if (text.size() + count > maxSize) {
            error = SystemErrorMessage(EFBIG);
            return {};
        }
        text.append(buffer, count);
    }
}

// A line break inside a value would start a line of its own and could forge an entry.
QString OneLine(const QString& value)
{
    QString line = value;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : FFileName(fileName)
{
    if (fileName.isEmpty())
        return;
    int fd;
    do
        fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            FReadError = SystemErrorMessage(errno);
        return;
    }
    const QByteArray text = ReadRegularFile(fd, MaxFileSize, FReadError);
    ::close(fd);
    if (FReadError.isEmpty())
        SetText(text);
}

TIniFile::TLine TIniFile::ParseLine(const QByteArray& raw)
{
    TLine line;
    line.Raw = raw;
    QByteArrayView content(raw);
    if (content.endsWith('\n'))
        content.chop(1);
    if (content.endsWith('\r'))
        content.chop(1);
    // A value in another encoding than UTF-8 (a Latin-1 path) must come back byte for byte.
    const QString text = TrimBlanks(DecodeRawText(content));
    if (text.startsWith(QLatin1Char('['))) {
        qsizetype close = text.indexOf(QLatin1Char(']'), 1);
        if (close < 0)
            close = text.size();
        line.Kind = lkSection;
        line.Name = TrimBlanks(QStringView(text).mid(1, close - 1));
        return line;
    }
    if (text.startsWith(QLatin1Char(';')))
        return line;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return line;
    line.Name = TrimBlanks(QStringView(text).left(equals));
    if (line.Name.isEmpty())
        return line;
    line.Kind = lkEntry;
    line.Value = TrimBlanks(QStringView(text).mid(equals + 1));
    return line;
}

void TIniFile::SetText(const QByteArray& text)
{
    FLines.clear();
    FLineEnd = "\n";
    FByteOrderMark = text.startsWith(Utf8ByteOrderMark) ? Utf8ByteOrderMark : QByteArray();
    bool lineEndKnown = false;
    qsizetype start = FByteOrderMark.size();
    while (start < text.size()) {
        qsizetype newline = text.indexOf('\n', start);
        const qsizetype end = newline < 0 ? text.size() : newline + 1;
        FLines.append(ParseLine(text.mid(start, end - start)));
        if (newline >= 0 && !lineEndKnown) {
            // Lines added later follow the file's own convention.
            FLineEnd = newline > start && text[newline - 1] == '\r' ? "\r\n" : "\n";
            lineEndKnown = true;
        }
        start = end;
    }
}

QByteArray TIniFile::Text() const
{
    QByteArray text = FByteOrderMark;
    for (const TLine& line : FLines)
        text += line.Raw;
    return text;
}

qsizetype TIniFile::FindSection(const QString& section) const
{
    for (qsizetype i = 0; i < FLines.size(); ++i) {
        if (FLines[i].Kind == lkSection
            && FLines[i].Name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype TIniFile::SectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < FLines.size() && FLines[i].Kind != lkSection)
        ++i;
    return i;
}

qsizetype TIniFile::FindKey(qsizetype header, const QString& key) const
{
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (FLines[i].Kind == lkEntry && FLines[i].Name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TIniFile::ReadString(
    const QString& section, const QString& key, const QString& defaultValue) const
{
    const qsizetype header = FindSection(section);
    if (header < 0)
        return defaultValue;
    const qsizetype entry = FindKey(header, key);
    if (entry < 0)
        return defaultValue;
    return CutToCharacters(FLines[entry].Value, MaxStringLength);
}

qint32 TIniFile::ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const
{
    // A missing key reads as an empty value, and an empty value gives the default too.
    return ParseInteger(ReadString(section, key, QString()), defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::Terminate(qsizetype index)
{
    TLine& line = FLines[index];
    if (!line.Raw.endsWith('\n'))
        line.Raw += FLineEnd;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString text = OneLine(value);
    qsizetype header = FindSection(section);
    if (header < 0) {
        if (!FLines.isEmpty()) {
            Terminate(FLines.size() - 1);
            // A blank line sets the new section apart from what stands before it.
            if (!FLines.last().Raw.trimmed().isEmpty())
                FLines.append(ParseLine(FLineEnd));
        }
        FLines.append(ParseLine(QByteArray("[") + EncodeRawText(section) + "]" + FLineEnd));
        header = FLines.size() - 1;
    }

    const qsizetype entry = FindKey(header, key);
    if (entry >= 0) {
        // The key keeps its spelling in the file; only the value changes.
        const QByteArray& old = FLines[entry].Raw;
        const QByteArray lineEnd = old.endsWith("\r\n") ? QByteArray("\r\n")
            : old.endsWith('\n')                        ? QByteArray("\n")
                                                        : QByteArray();
        FLines[entry]
            = ParseLine(EncodeRawText(FLines[entry].Name) + '=' + EncodeRawText(text) + lineEnd);
        return;
    }

    qsizetype after = header;
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (FLines[i].Kind == lkEntry)
            after = i;
    }
    Terminate(after);
    FLines.insert(after + 1, ParseLine(EncodeRawText(key) + '=' + EncodeRawText(text) + FLineEnd));
}

void TIniFile::WriteInteger(const QString& section, const QString& key, qint32 value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::ReadSections() const
{
    QStringList sections;
    for (const TLine& line : FLines) {
        if (line.Kind == lkSection && !sections.contains(line.Name, Qt::CaseInsensitive))
            sections.append(line.Name);
    }
    return sections;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    const qsizetype header = FindSection(section);
    if (header < 0)
        return keys;
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (FLines[i].Kind == lkEntry && !keys.contains(FLines[i].Name, Qt::CaseInsensitive))
            keys.append(FLines[i].Name);
    }
    return keys;
}

void TIniFile::UpdateFile() const
{
    const QString path = QFileInfo(FFileName).absoluteFilePath();
    if (!FReadError.isEmpty() || FFileName.isEmpty())
        throw EIniFileException(path);
    // A read-only file is refused even where the folder would let a rename replace it.
    if (QFileInfo::exists(path) && !IsWritable(path))
        throw EIniFileException(path);

    if (!ReplaceFile(path, Text()))
        throw EIniFileException(path);
}
