#pragma once
// The offscreen QGuiApplication that targets measuring or drawing text need (fonts are only
// reachable through one), made once and kept for the whole run.
#include <QGuiApplication>

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
