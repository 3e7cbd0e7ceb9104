#pragma once

#include <QString>

// Status-line texts that both the delivery and the main window show, kept here so that both
// say them alike.

// A "Deliver" or "Rename" press without a file selected in the table.
inline QString NoFileSelectedText()
{
    return QStringLiteral("No File Selected!");
}
