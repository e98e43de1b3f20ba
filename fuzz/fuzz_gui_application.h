#pragma once
// The offscreen QGuiApplication that targets measuring or drawing text need (fonts are only
// reachable through one), made once and kept for the whole run.
#include <QGuiApplication>

// Fontconfig keeps caches for the life of the process, which the leak check at the end of a
// fuzzing run would otherwise blame on the first input that draws text. (One definition per
// target: each includes this header from its one source file.)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

inline void ensureGuiApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = nullptr;
    if (!application && !QGuiApplication::instance()) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = new QGuiApplication(argc, argv);
    }
}
