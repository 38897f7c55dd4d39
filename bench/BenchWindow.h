#ifndef BENCHWINDOW_H
#define BENCHWINDOW_H

#include <QApplication>
#include <QCoreApplication>
#include <QStandardPaths>

#include "KFLevelEditor.h"

// Benchmarks of the main window: it draws offscreen, and its saved layout goes
// to Qt's test location, never to the user's settings.
inline void prepareWindowBench()
{
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
}

// What a shown window does once control is back in the event loop: posted
// events (the scene's queued updates, deferred deletes) and the paint they ask for.
inline void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline void showWindow(KFLevelEditor& window)
{
    window.resize(1600, 1000);
    window.show();
    settle();
}

#endif // BENCHWINDOW_H
