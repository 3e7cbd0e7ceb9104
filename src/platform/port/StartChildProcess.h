#pragma once

#include <QString>
#include <QStringList>

class TPortRights;
class TPrivilegeCalls;

// Starts program (found on PATH) with arguments, detached from this process, and returns
// whether it started. The I/O permission that ioperm granted survives fork and execve, so
// a browser started from here would otherwise reach the parallel port's registers: the
// child gives up every run of ports this process was granted before it runs the program,
// and does not run it when the kernel will not take the permission back. Every process
// that Conveyor starts is started here.
bool StartChildProcess(const QString& program, const QStringList& arguments);

// The same with the rights and the calls given, so that tests can watch the child.
bool StartChildProcess(const QString& program, const QStringList& arguments,
    const TPortRights& rights, TPrivilegeCalls& calls);
