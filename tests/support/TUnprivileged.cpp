#include "TUnprivileged.h"

#include <exception>
#include <stdexcept>

#include <unistd.h>

namespace {

// The conventional "nobody" account.
constexpr uid_t Nobody = 65534;

} // namespace

TUnprivileged::TUnprivileged()
{
    if (geteuid() != 0)
        return;
    if (setegid(Nobody) != 0 || seteuid(Nobody) != 0)
        throw std::runtime_error("cannot drop the superuser's rights");
    FDropped = true;
}

TUnprivileged::~TUnprivileged()
{
    if (FDropped && (seteuid(0) != 0 || setegid(0) != 0))
        std::terminate();
}
