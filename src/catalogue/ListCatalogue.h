#pragma once

#include "catalogue/TextRows.h"

#include <QString>
#include <QStringList>

#include <functional>

// Called before the number-th file (from 1) of a listing is read.
using TFileReadCallback = std::function<void(int number)>;

// The catalogue rows of the given files of a folder (names without the folder, as a listing
// gives them), classified and sorted as the main window's table shows them after a scan.
std::vector<TTextRow> CatalogueRows(
    const QString& directory, const QStringList& names, const TFileReadCallback& onFileRead = {});

// The catalogue of a folder: one row (CatalogueColumnCount texts, see ClassifyImageFile) for
// every plain file that matches the ";"-separated mask, in the order the main window's table
// shows after a scan. The window and conveyor-cli list both take their rows from here, so
// the two cannot differ. A folder that cannot be read raises EInOutError; a file that cannot
// be read is a row with its error text.
std::vector<TTextRow> ListCatalogue(
    const QString& directory, const QString& mask, const TFileReadCallback& onFileRead = {});
