// One QApplication for every GUI test, on the offscreen platform.
#pragma once

#include <QApplication>

inline QApplication* EnsureApp()
{
    static int argc = 1;
    static char name[] = "tesvan_gui_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
    return static_cast<QApplication*>(QApplication::instance());
}
