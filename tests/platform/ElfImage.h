#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// A minimal ELF file of this machine's kind holding the given sections (name, contents),
// for tests of the code that finds a section in a program file.
QByteArray ElfImage(const QList<std::pair<QByteArray, QByteArray>>& sections);
