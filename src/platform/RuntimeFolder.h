#pragma once

#include <QString>

// A folder for the user's sockets and locks that no other user can enter: $XDG_RUNTIME_DIR
// when it is set to such a folder, otherwise "conveyor-UID" in the system's temporary folder,
// made for the purpose. Raises EInOutError when neither can be had (the temporary folder
// holds another user's folder or a link of that name).
QString UserRuntimeFolder();

// Whether the path is a folder (not a link to one) owned by this user that the group and
// others cannot enter.
bool IsPrivateFolder(const QString& path);

// The login name of the effective user, or the user's number when the name is missing or
// holds characters a file name should not.
QString UserName();
