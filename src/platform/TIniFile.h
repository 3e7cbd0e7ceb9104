#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A private-profile (INI) file held in memory and edited in place.
//
// Sections and keys match without regard to case. Writing a key replaces its value where
// it stands or adds it after the last entry of its section; a new section goes at the end
// of the file. Every line the program does not touch keeps its bytes, comments and
// unknown entries included, so a hand-edited file survives a save.
//
// Reading follows the classic profile rules: a string is cut to 1023 characters; an
// integer is decimal with an optional sign, or hexadecimal after "0x" or "$", filling 32
// bits; anything else gives the caller's default; a boolean is an integer that is true
// when it is not 0.
//
// A UTF-8 byte-order mark at the start of the file, as some editors write, is no part of the
// first line: it is passed over when reading and written back in front of the text.
class TIniFile
{
public:
    // Reads the file when it exists; a missing file is an empty one. Only a regular file of at
    // most MaxFileSize bytes is read, opened without blocking: a FIFO would hang the reader
    // and a device such as /dev/zero would never end.
    explicit TIniFile(const QString& fileName);

    // Far beyond any settings file; a larger one is refused rather than held in memory.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    const QString& FileName() const { return FFileName; }
    // Why the file, which exists, could not be read ("not a regular file", or the system's
    // message); empty when it was read or does not exist. A file not read is never written.
    const QString& ReadError() const { return FReadError; }

    QString ReadString(
        const QString& section, const QString& key, const QString& defaultValue) const;
    qint32 ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, qint32 value);
    void WriteBool(const QString& section, const QString& key, bool value);

    // Section names in file order (each once), and the keys of one section.
    QStringList ReadSections() const;
    QStringList ReadSection(const QString& section) const;

    // The file's text as it stands in memory, and replacing it wholesale.
    QByteArray Text() const;
    void SetText(const QByteArray& text);

    // Writes the text to the file: into a new file beside it that is then renamed over the
    // old one, so an interrupted save never leaves a truncated file; in place when the
    // folder allows no new file but the file itself is writable. Raises EIniFileException
    // with the file's full path when the platform refuses.
    void UpdateFile() const;

private:
    enum TLineKind
    {
        lkOther,
        lkSection,
        lkEntry
    };

    struct TLine
    {
        QByteArray Raw; // exactly as in the file, line ending included
        TLineKind Kind = lkOther;
        QString Name; // the section's name or the entry's key
        QString Value; // the entry's value
    };

    static TLine ParseLine(const QByteArray& raw);
    qsizetype FindSection(const QString& section) const;
    qsizetype SectionEnd(qsizetype header) const;
    qsizetype FindKey(qsizetype header, const QString& key) const;
    void Terminate(qsizetype index);

    QString FFileName;
    QList<TLine> FLines;
    QByteArray FLineEnd = "\n";
    // The UTF-8 byte-order mark the text began with, or nothing.
    QByteArray FByteOrderMark;
    // The file exists but could not be read; writing it would lose what it holds.
    QString FReadError;
};
