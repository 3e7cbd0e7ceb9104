#include "TTestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

TTestFolder::TTestFolder()
{
    if (!FDir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

TTestFolder::~TTestFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(FDir.path()).toStdString(), ignored);
}

QString TTestFolder::Path() const
{
    return FDir.path();
}

QString TTestFolder::Path(const QString& name) const
{
    return FDir.filePath(name);
}

QString TTestFolder::Write(const QString& name, const QByteArray& bytes) const
{
    const QString path = Path(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error(("cannot write " + path).toStdString());
    return path;
}

QByteArray TTestFolder::Read(const QString& name) const
{
    QFile file(Path(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("cannot read " + Path(name)).toStdString());
    return file.readAll();
}

QByteArray TTestFolder::WriteNative(const QByteArray& name, const QByteArray& bytes) const
{
    const QByteArray path = QFile::encodeName(Path()) + '/' + name;
    std::FILE* file = std::fopen(path.constData(), "wb");
    const bool written = file
        && std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file)
            == static_cast<std::size_t>(bytes.size());
    if (!file || std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}
