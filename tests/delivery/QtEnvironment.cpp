#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The windows need one QApplication for the whole run; GoogleTest's own main creates none.
class TQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "delivery_tests";
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
