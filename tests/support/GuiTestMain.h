#ifndef GUITESTMAIN_H
#define GUITESTMAIN_H

#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

// Test main for tests that build widgets or use the embedded icons: settings go
// to Qt's test location (never the user's), the icon resources compiled into the
// editor library are registered, and windows draw offscreen.
#define LEVELEDITOR_GUI_TEST_MAIN(TestObject)                                  \
    int main(int argc, char** argv)                                            \
    {                                                                          \
        QStandardPaths::setTestModeEnabled(true);                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                    \
            qputenv("QT_QPA_PLATFORM", "offscreen");                           \
        Q_INIT_RESOURCE(images);                                               \
        QApplication app(argc, argv);                                          \
        TestObject test;                                                       \
        return QTest::qExec(&test, argc, argv);                                \
    }

#endif // GUITESTMAIN_H
