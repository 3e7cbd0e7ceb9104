#pragma once

#include <QString>
#include <QtGlobal>

// A file opened for reading only. Every failing operation raises EInOutError with the system's
// error code. Opening never blocks, not even on a FIFO that has no writer.
class TReadOnlyFile
{
public:
    explicit TReadOnlyFile(const QString& path);
    ~TReadOnlyFile();
    TReadOnlyFile(const TReadOnlyFile&) = delete;
    TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

    qint64 Size() const;
    // The modification time in nanoseconds since the epoch, with the size from the same
    // look at the file.
    qint64 ModifiedNs(qint64* size) const;
    // Reads up to length bytes at offset into buffer and returns how many were there: a file
    // that ends early is no error.
    qsizetype ReadAt(qint64 offset, char* buffer, qsizetype length) const;
    void Close();

private:
    [[noreturn]] void Fail(const char* operation, int errorCode) const;

    QString FPath;
    int FHandle = -1;
};
