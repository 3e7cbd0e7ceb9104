#pragma once

#include <QStringList>

// conveyor-cli list [--mask MASK] [--tsv] DIR: the catalogue of a directory as the table shows
// it after a scan.
int ListCommand(const QStringList& arguments);
