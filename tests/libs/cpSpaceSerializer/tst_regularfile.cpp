#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

#include <sys/stat.h>
#include <unistd.h>

// Every file the editor reads goes through readRegularFile: what is not a
// regular file of a bounded size is refused at once, with a reason.
class TestRegularFile : public QObject
{
    Q_OBJECT
private slots:
    void refusesWhatIsNoRegularFile_data();
    void refusesWhatIsNoRegularFile();
    void readsWholeFiles_data();
    void readsWholeFiles();
};

void TestRegularFile::refusesWhatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fifo") << "fifo" << int(FileRead::Refused) << "not a regular file";
    QTest::newRow("link to /dev/zero") << "zero" << int(FileRead::Refused) << "not a regular file";
    QTest::newRow("folder") << "folder" << int(FileRead::Refused) << "folder";
    QTest::newRow("missing") << "missing" << int(FileRead::Missing) << "does not exist";
    QTest::newRow("link to nothing") << "dangling" << int(FileRead::Missing) << "does not exist";
    QTest::newRow("symbolic link loop") << "loop" << int(FileRead::Refused) << "loop";
    QTest::newRow("past the limit") << "huge" << int(FileRead::Refused) << "larger than 256 MB";
    QTest::newRow("no name") << "" << int(FileRead::Missing) << "no file name";
    QTest::newRow("write-only") << "writeonly" << int(FileRead::Refused) << "Permission denied";
}

void TestRegularFile::refusesWhatIsNoRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = kind.isEmpty() ? QString() : dir.filePath(kind);
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(name.constData(), 0600), 0);
    else if (kind == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(kind));
    else if (kind == QLatin1String("dangling"))
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), path));
    else if (kind == QLatin1String("loop"))
        QCOMPARE(symlink(name.constData(), name.constData()), 0);
    if (kind == QLatin1String("writeonly")) {
        if (geteuid() == 0)
            QSKIP("the superuser reads any file");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(chmod(name.constData(), 0200), 0);
    }
    if (kind == QLatin1String("huge")) {
        // Sparse: a size past the limit costs no disk.
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(kMaxReadBytes) + 1));
    }

    std::string content = "left over";
    // Should the FIFO ever be opened blocking, the test ends instead of hanging.
    alarm(60);
    const FileRead read = readRegularFile(name.toStdString(), content);
    alarm(0);
    QCOMPARE(int(read.status), status);
    QVERIFY2(QString::fromStdString(read.error).contains(reason), read.error.c_str());
    QVERIFY(content.empty());
}

void TestRegularFile::readsWholeFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("text") << QByteArray("<view/>\n") << false;
    QTest::newRow("bytes with NUL") << QByteArray("a\0b\xff", 4) << false;
    QTest::newRow("larger than one read") << QByteArray(200000, 'x') << false;
    QTest::newRow("through a link") << QByteArray("<space/>") << true;
}

void TestRegularFile::readsWholeFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, throughLink);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    const QString link = dir.filePath(QStringLiteral("link"));
    if (throughLink)
        QVERIFY(QFile::link(path, link));

    std::string content;
    const FileRead read = readRegularFile(QFile::encodeName(throughLink ? link : path).toStdString(), content);
    QVERIFY2(read.ok(), read.error.c_str());
    QCOMPARE(QByteArray::fromStdString(content), bytes);

    // A limit below the size refuses the file.
    if (bytes.size() > 1) {
        const FileRead small = readRegularFile(QFile::encodeName(path).toStdString(), content, std::size_t(bytes.size() - 1));
        QCOMPARE(int(small.status), int(FileRead::Refused));
        QVERIFY(content.empty());
    }
}

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
