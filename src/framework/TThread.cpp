#include "TThread.h"

TThread::TThread() = default;

TThread::~TThread() = default;

void TThread::Synchronize(const std::function<void()>& step)
{
    // Execute runs on the user-interface thread itself, so the step runs there at once and
    // whatever it throws goes to Execute's caller.
    step();
}
