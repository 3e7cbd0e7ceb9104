#pragma once

#include <QString>

enum TPathKind
{
    pkFolder,
    pkFile, // a regular file
    pkOther // a FIFO, a device, a socket
};

// What the path (raw text, links followed) names. A folder or a regular file is opened for
// reading and the opened file is asked, so that what is judged is what could be read; the
// rest is never opened. Raises EInOutError, "Cannot open PATH: REASON", when the path names
// nothing or cannot be opened.
TPathKind OpenedPathKind(const QString& path);
