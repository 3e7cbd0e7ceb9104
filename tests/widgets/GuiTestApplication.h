#pragma once

#include <QApplication>

// Widgets need an application object. The first test that needs one creates it, and it
// stays for the rest of the run (Qt keeps a pointer to it, so it is never lost).
inline void EnsureGuiApplication()
{
    if (QApplication::instance() != nullptr)
        return;
    static int argc = 1;
    static char name[] = "conveyor-tests";
    static char* argv[] = { name, nullptr };
    new QApplication(argc, argv);
}
