#include "framework/TThread.h"
#include "platform/Exception.h"

#include <QThread>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A job as the delivery uses one: its body calls Synchronize for its steps.
class TJob : public TThread
{
public:
    void Execute() override
    {
        Log.push_back("body start");
        Synchronize([this] {
            Log.push_back("step 1");
            StepThread = QThread::currentThread();
        });
        Log.push_back("between");
        Synchronize([this] {
            Log.push_back("step 2");
            if (Fail)
                throw Exception("step failed");
        });
        Log.push_back("body end");
    }

    bool Fail = false;
    std::vector<std::string> Log;
    QThread* StepThread = nullptr;
};

} // namespace

TEST(TThread, SynchronizeRunsEachStepAtOnceOnTheCallingThread)
{
    TJob job;
    job.Execute();
    EXPECT_EQ(job.Log,
        (std::vector<std::string> { "body start", "step 1", "between", "step 2", "body end" }));
    EXPECT_EQ(job.StepThread, QThread::currentThread());
}

TEST(TThread, AnExceptionInAStepLeavesTheBody)
{
    TJob job;
    job.Fail = true;
    try {
        job.Execute();
        FAIL() << "no exception";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "step failed");
    }
    EXPECT_EQ(job.Log, (std::vector<std::string> { "body start", "step 1", "between", "step 2" }));
}
