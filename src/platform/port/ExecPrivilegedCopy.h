#pragma once

// The programs in the public program folder run for every user; their copies that hold the
// port capability live in a folder of their own, executable by root and the group lp only.
// Called first thing in main(), before AcquirePortRights and before any Qt object: when this
// process is the public program and the user may execute its privileged copy, the process
// becomes that copy, with the same arguments. Otherwise it returns and the program goes on
// without the port's right; PrivilegedCopyRefused() then names the copy the user may not run.
// The copy never passes on again, because it is not the public program.
void ExecPrivilegedCopy(char* argv[]);

// The privileged copy that this user may not execute, or nullptr.
const char* PrivilegedCopyRefused();
