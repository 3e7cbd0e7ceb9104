#pragma once

#include <QString>

// The catalogue row a delivery sends, taken when the delivery starts: the texts the window
// shows while it runs and the file that goes out.
struct TDeliveryRow
{
    // The image name column.
    QString ImageName;
    // The size column: the megabits as at least three digits, then " MBIT" ("-- MBIT" for a
    // file whose header could not be read).
    QString SizeText;
    // The file name column, as the table shows it; empty when no file is selected.
    QString FileName;
    // Where the file is opened: the listed folder and the file's real name there (the table
    // shows names upper-cased).
    QString Path;
};
