#include "StartChildProcess.h"

#include "platform/port/TLinuxPrivilegeCalls.h"
#include "platform/port/TPortRights.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Between fork and execve only async-signal-safe calls: the error goes back through the
// pipe and the child ends.
[[noreturn]] void FailInChild(int pipe, int error)
{
    [[maybe_unused]] const ssize_t written = ::write(pipe, &error, sizeof(error));
    ::_exit(127);
}

} // namespace

bool StartChildProcess(const QString& program, const QStringList& arguments)
{
    TLinuxPrivilegeCalls calls;
    return StartChildProcess(program, arguments, TPortRights::Process(), calls);
}

bool StartChildProcess(const QString& program, const QStringList& arguments,
    const TPortRights& rights, TPrivilegeCalls& calls)
{
    // QProcess::startDetached runs no child-process modifier, so the child is made here.
    // Everything the child needs is worked out before the fork: it may allocate nothing.
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return false;
    const auto runs = rights.GrantedRuns();
    std::vector<QByteArray> texts { QFile::encodeName(path) };
    for (const QString& argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t middle = ::fork();
    if (middle == 0) {
        // Detached: the program gets its own session and is nobody's child here, so it
        // is neither waited for nor left a zombie.
        ::close(report[0]);
        ::setsid();
        const pid_t child = ::fork();
        if (child < 0)
            FailInChild(report[1], errno);
        if (child > 0)
            ::_exit(0);
        for (const auto& [from, count] : runs) {
            if (const int error = calls.ReleaseIoperm(from, count); error != 0)
                FailInChild(report[1], error);
        }
        if (nothing >= 0)
            ::dup2(nothing, STDIN_FILENO);
        ::execve(argv[0], argv.data(), environ);
        FailInChild(report[1], errno);
    }
    ::close(report[1]);
    if (nothing >= 0)
        ::close(nothing);
    bool started = middle > 0;
    if (started) {
        int status = 0;
        while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) { }
        // The pipe closes at execve without a word, or carries the child's error.
        int error = 0;
        ssize_t got;
        do
            got = ::read(report[0], &error, sizeof(error));
        while (got < 0 && errno == EINTR);
        started = got == 0;
    }
    ::close(report[0]);
    return started;
}
