#pragma once

#include <QMetaType>

// The order in which a table's rows follow their sort column.
enum TSortDirection
{
    sdAscending,
    sdDescending
};

Q_DECLARE_METATYPE(TSortDirection)
