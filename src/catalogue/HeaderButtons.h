#pragma once

#include "catalogue/CatalogueRow.h"
#include "catalogue/TSortDirection.h"

// The pictures of the column header buttons' marker list.
enum THeaderMarker
{
    hmDescending,
    hmAscending,
    hmBlank
};

// "Filename", "Ext", "Image Name" and "Mbit", for table columns 0 to 3.
constexpr int HeaderButtonCount = 4;

// A click on the header button of column (0 to 3): the first click on a column sorts it
// ascending, every further click reverses the order, and the markers show the column and
// direction in force. Nothing happens while the table holds no file. The grid provides
// Cells, Row and the sort properties; setMarker(button, marker) sets one button's picture.
template <typename TGrid, typename TSetMarker>
void HeaderButtonClick(TGrid& grid, int column, TSetMarker&& setMarker)
{
    if (grid.Cells(ccFileName, grid.Row()).isEmpty())
        return;
    for (int button = 0; button < HeaderButtonCount; ++button)
        setMarker(button, button == column ? hmAscending : hmBlank);
    if (grid.SortColumn() != column) {
        grid.SetSortColumn(column);
    } else if (grid.SortDirection() == sdAscending) {
        grid.SetSortDirection(sdDescending);
        setMarker(column, hmDescending);
    } else {
        grid.SetSortDirection(sdAscending);
        setMarker(column, hmAscending);
    }
}
