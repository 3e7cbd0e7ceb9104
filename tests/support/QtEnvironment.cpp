#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Window tests need one QApplication for the whole run; it is destroyed at the end so that
// the leak check at exit sees nothing Qt still holds.
class TQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "conveyor-tests";
        static char* argv[] = { name, nullptr };
        FApplication = std::make_unique<QApplication>(argc, argv);
    }

    void TearDown() override { FApplication.reset(); }

private:
    std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const Environment
    = ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
