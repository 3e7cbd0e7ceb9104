#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, removed with everything in it when the test ends.
class TTestFolder
{
public:
    TTestFolder();

    QString Path() const;
    QString Path(const QString& name) const;
    // Writes a file of the given bytes (creating folders on the way) and returns its path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;

private:
    QTemporaryDir FDir;
};
