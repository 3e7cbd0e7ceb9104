#pragma once

#include <QString>

// Gives a file a new name in one file-system operation and never replaces a file that
// already has the new name: that case fails with EEXIST and both files stay as they are.
// Where the file system cannot refuse to replace (no renameat2 flag), a hard link under
// the new name followed by removing the old one does the same; where it has no hard
// links either, an existing new name is looked for first. Renaming a file to its own name
// changes nothing and succeeds. A failure raises EInOutError with the system's error code;
// the file then keeps its old name.
void RenameFile(const QString& oldName, const QString& newName);
