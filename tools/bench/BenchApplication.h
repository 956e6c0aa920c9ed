#pragma once

#include <QApplication>

namespace tessel::bench {

// The application the widgets of a benchmark need; without a display they
// are drawn offscreen.
inline QApplication &BenchApplication()
{
    static int argc = 1;
    static char name[] = "tessel-bench";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

} // namespace tessel::bench
