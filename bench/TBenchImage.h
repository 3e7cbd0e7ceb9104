#pragma once

#include "TestBytes.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <stdexcept>

// One image of random content in a temporary folder of its own, made once and shared by the
// benchmarks of a program.
struct TBenchImage
{
    TBenchImage(qint64 size, const QString& name, quint32 seed)
        : Content(RandomBytes(size, seed))
        , Name(name)
        , Path(Folder.filePath(name))
    {
        QFile file(Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(Content) != Content.size())
            throw std::runtime_error("cannot write the image");
    }

    QTemporaryDir Folder;
    QByteArray Content;
    QString Name;
    QString Path;
};
