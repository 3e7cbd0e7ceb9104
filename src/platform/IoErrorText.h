#pragma once

#include <QString>

// The operating system's message for an error code, without the trailing blanks, control
// characters and full stops that some messages carry.
QString SystemErrorMessage(int errorCode);

// The error code in decimal, ": ", and the system's message, for example
// "2: No such file or directory". This is the text a row shows for a file it cannot read.
QString IoErrorText(int errorCode);
