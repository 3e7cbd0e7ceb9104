#pragma once

#include <QByteArrayView>
#include <QString>

// The characters of Windows-1252 bytes, the code page in which image names are written.
QString DecodeWindows1252(QByteArrayView bytes);

// The Windows-1252 byte of a character, or -1 for a character the code page does not have.
int Windows1252Byte(char16_t c) noexcept;

// Windows-1252 bytes decoded and raised to upper case as that code page does it: every letter
// whose capital is also in the code page is raised (accented letters included), everything
// else is left alone, so the text keeps one character per byte.
QString UpperCaseWindows1252(QByteArrayView bytes);

// A file name raised to upper case as Unicode text (file names are UTF-8 here).
QString UpperCaseFileName(const QString& name);
