#include "ExecPrivilegedCopy.h"

#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string RefusedCopy;

std::string OwnFile()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

void ExecPrivilegedCopy(char* argv[])
{
#if defined(CONVEYOR_INSTALL_BINDIR) && defined(CONVEYOR_INSTALL_PRIVILEGED_DIR)
    const std::string self = OwnFile();
    const std::string folder = CONVEYOR_INSTALL_BINDIR "/";
    if (self.size() <= folder.size() || self.compare(0, folder.size(), folder) != 0)
        return;
    const std::string name = self.substr(folder.size());
    if (name.find('/') != std::string::npos)
        return;
    const std::string copy = std::string(CONVEYOR_INSTALL_PRIVILEGED_DIR "/") + name;
    // A copy that is not installed (a cmake --install without the package) is no refusal.
    if (::access(copy.c_str(), F_OK) != 0)
        return;
    if (::access(copy.c_str(), X_OK) != 0) {
        RefusedCopy = copy;
        return;
    }
    ::execv(copy.c_str(), argv);
    // The copy could not start: the program goes on without the port's right, and says so
    // where it needs it.
    RefusedCopy = copy;
#else
    (void)argv;
#endif
}

const char* PrivilegedCopyRefused()
{
    return RefusedCopy.empty() ? nullptr : RefusedCopy.c_str();
}
