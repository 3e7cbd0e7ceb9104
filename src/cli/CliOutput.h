#pragma once

#include <QString>

#include <cstdio>

// Writes text as UTF-8.
void WriteText(std::FILE* stream, const QString& text);

// Tells a failure on stderr: "conveyor-cli: " and the message, printable.
void ReportError(const QString& message);

// Makes the folder a simulated Doctor64 stores into, with its parents; tells why not and
// returns false when it cannot.
bool MakeOutputFolder(const QString& folder);

// A table text fit for one line of output: control characters (an image name may hold any
// byte) become blanks, so that no field can break a line or a tab-separated column, and the
// bytes of a file name that are not UTF-8 show as Latin-1.
QString PrintableText(const QString& text);
