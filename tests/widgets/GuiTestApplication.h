#pragma once

#include <QApplication>

#include <gtest/gtest.h>

// Widgets need an application object. The first test that needs one creates it; it lives
// until every test has run and is then destroyed, so Qt releases what it holds (fonts
// among them) before the leak check at exit.
inline void EnsureGuiApplication()
{
    if (QApplication::instance() != nullptr)
        return;
    class TApplicationEnvironment : public testing::Environment
    {
    public:
        TApplicationEnvironment()
        {
            static int argc = 1;
            static char name[] = "conveyor-tests";
            static char* argv[] = { name, nullptr };
            FApplication = new QApplication(argc, argv);
        }
        void TearDown() override
        {
            delete FApplication;
            FApplication = nullptr;
        }

    private:
        QApplication* FApplication = nullptr;
    };
    testing::AddGlobalTestEnvironment(new TApplicationEnvironment);
}
