#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestMain.h"
#include "Settings.h"

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void storesInTheTestLocation();
    void firstRunDefaults();
    void foldersComeFromFilePaths_data();
    void foldersComeFromFilePaths();
    void windowStateRoundTrips();
};

void TestSettings::init()
{
    Settings settings;
    settings.clear();
}

void TestSettings::storesInTheTestLocation()
{
    Settings settings;
    QVERIFY2(settings.fileName().contains(QStringLiteral(".qttest")), qPrintable(settings.fileName()));
    QVERIFY(settings.fileName().contains(QStringLiteral("kestrel-forge")));
    QCOMPARE(settings.applicationName(), QStringLiteral("level-editor"));
}

void TestSettings::firstRunDefaults()
{
    Settings settings;
    QCOMPARE(settings.openFilePath(), QDir::homePath());
    QCOMPARE(settings.openSpriteSheetPath(), QDir::homePath());
    QVERIFY(settings.mainWindowState().isEmpty());
}

void TestSettings::foldersComeFromFilePaths_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder");
    const QString cwd = QDir::currentPath();
    QTest::newRow("absolute") << QStringLiteral("/levels/world1/a.kfml") << QStringLiteral("/levels/world1");
    QTest::newRow("relative") << QStringLiteral("sub/a.kfml") << QDir(cwd).filePath(QStringLiteral("sub"));
    QTest::newRow("bare name") << QStringLiteral("a.kfml") << cwd;
}

// The setters take a file and keep its absolute folder; separate keys never mix.
void TestSettings::foldersComeFromFilePaths()
{
    QFETCH(QString, file);
    QFETCH(QString, folder);
    {
        Settings settings;
        settings.setOpenFilePath(file);
    }
    {
        Settings settings;
        QCOMPARE(settings.openFilePath(), folder);
        QCOMPARE(settings.openSpriteSheetPath(), QDir::homePath());
        settings.setOpenSpriteSheetPath(QStringLiteral("/sheets/x.plist"));
    }
    Settings settings;
    QCOMPARE(settings.openSpriteSheetPath(), QStringLiteral("/sheets"));
    QCOMPARE(settings.openFilePath(), folder);
}

void TestSettings::windowStateRoundTrips()
{
    const QByteArray state("\x00\xff layout \x01", 11);
    {
        Settings settings;
        settings.setMainWindowState(state);
    }
    Settings settings;
    QCOMPARE(settings.mainWindowState(), state);
}

LEVELEDITOR_GUI_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
