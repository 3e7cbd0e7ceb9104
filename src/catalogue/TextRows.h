#pragma once

#include "catalogue/TSortDirection.h"

#include <QString>

#include <vector>

// A table held as plain rows of texts, as the command-line tool builds the catalogue.
using TTextRow = std::vector<QString>;

// Sorts rows from firstRow to the last by column with the table's partition sort. A row
// shorter than the column sorts as an empty text.
void SortTextRows(std::vector<TTextRow>& rows, int firstRow, int column, TSortDirection direction);
