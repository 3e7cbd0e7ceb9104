#pragma once

#include <QString>

#include <cstdio>

// Writes text as UTF-8.
void WriteText(std::FILE* stream, const QString& text);

// A table text fit for one line of output: control characters (an image name may hold any
// byte) become blanks, so that no field can break a line or a tab-separated column, and the
// bytes of a file name that are not UTF-8 show as Latin-1.
QString PrintableText(const QString& text);
