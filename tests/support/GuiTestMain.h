#ifndef GUITESTMAIN_H
#define GUITESTMAIN_H

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

// Test main for tests that build widgets or use the embedded icons: settings go
// to Qt's test location (never the user's), in a folder of this process alone so
// that test programs running side by side never clear each other's settings; the
// icon resources compiled into the editor library are registered, and windows
// draw offscreen.
#define LEVELEDITOR_GUI_TEST_MAIN(TestObject)                                  \
    int main(int argc, char** argv)                                            \
    {                                                                          \
        QStandardPaths::setTestModeEnabled(true);                              \
        const QString settingsFolder =                                         \
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) \
            + QStringLiteral("/pid-") + QString::number(QCoreApplication::applicationPid()); \
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder); \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                    \
            qputenv("QT_QPA_PLATFORM", "offscreen");                           \
        Q_INIT_RESOURCE(images);                                               \
        QApplication app(argc, argv);                                          \
        TestObject test;                                                       \
        const int result = QTest::qExec(&test, argc, argv);                    \
        QDir(settingsFolder).removeRecursively();                              \
        return result;                                                         \
    }

#endif // GUITESTMAIN_H
