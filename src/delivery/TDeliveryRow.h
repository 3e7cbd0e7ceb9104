#pragma once

#include <QString>

// The catalogue row a delivery sends, taken when the delivery starts: the texts the window
// shows while it runs and the name under which the file is opened.
struct TDeliveryRow
{
    // The image name column.
    QString ImageName;
    // The size column: the megabits as at least three digits, then " MBIT" ("-- MBIT" for a
    // file whose header could not be read).
    QString SizeText;
    // The file name column, as the table shows it.
    QString FileName;
    // The file's real name in the listed folder; the table shows names upper-cased.
    QString DiskName;
};
