#pragma once

#include <functional>

// The framework's thread class as the program uses it: an object created suspended and never
// started, whose owner calls Execute directly on the user-interface thread. Synchronize then
// runs its step at once on that thread and passes on whatever the step throws.
class TThread
{
public:
    TThread();
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // The thread's body.
    virtual void Execute() = 0;

protected:
    void Synchronize(const std::function<void()>& step);
};
