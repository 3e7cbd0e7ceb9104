#pragma once

#include <QString>

#include <cstdio>

// Writes text as UTF-8.
void WriteText(std::FILE* stream, const QString& text);

// Writes to standard output the line that tells what a command has done for good (send's
// "Delivered ..."), and keeps it: should standard output turn out lost at exit, the message
// on stderr still says what was done.
void WriteOutcome(const QString& line);

// Tells a failure on stderr: "conveyor-cli: " and the message, printable.
void ReportError(const QString& message);

// Makes the folder a simulated Doctor64 stores into, with its parents; tells why not and
// returns false when it cannot.
bool MakeOutputFolder(const QString& folder);

// A table text fit for one line of output: control characters (an image name may hold any
// byte), the Unicode line and paragraph separators and the bidirectional controls become
// blanks, so that no field can break a line or a tab-separated column, nor turn round what
// a terminal shows; the bytes of a file name that are not UTF-8 show as Latin-1.
QString PrintableText(const QString& text);

// Opens /dev/null, for reading only, on whichever of the descriptors 0, 1 and 2 is closed.
// Run first in main(): otherwise the first file, socket or port the program opens takes the
// number of a closed standard output and receives what was meant for it. A write to the
// stand-in fails, so a closed standard output is still found out at exit.
void ReserveStandardDescriptors();

// The exit-time check of the standard tools: flushes and closes standard output, and when
// anything written to it did not reach its destination (a full disk, /dev/full, a closed
// descriptor) tells so on stderr, with the outcome WriteOutcome kept, and returns false.
bool CloseStandardOutput();
