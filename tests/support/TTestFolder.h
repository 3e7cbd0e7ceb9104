#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, removed with everything in it when the test ends.
class TTestFolder
{
public:
    TTestFolder();
    // Removes names that are not valid UTF-8 too, which QTemporaryDir cannot.
    ~TTestFolder();
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    QString Path() const;
    QString Path(const QString& name) const;
    // Writes a file of the given bytes (creating folders on the way) and returns its path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;
    // Writes a file whose name is the given bytes, valid UTF-8 or not, and returns the
    // folder's path with those bytes appended.
    QByteArray WriteNative(const QByteArray& name, const QByteArray& bytes) const;

private:
    QTemporaryDir FDir;
};
