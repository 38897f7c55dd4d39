#include "IO/plistReader.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPlistReader : public QObject
{
    Q_OBJECT
private slots:
    void readsSpriteSheet();
    void valueKinds();
    void filesMergeLaterWins();
    void plistWithoutDict();
    void badFilesAreRefused_data();
    void badFilesAreRefused();
    void rect_data();
    void rect();
    void point_data();
    void point();
};

void TestPlistReader::readsSpriteSheet()
{
    plistReader plist;
    QVERIFY(plist.readFile(testDataPath("io/sheet.plist")));
    QCOMPARE(plist.keys(), QStringList({"frames", "metadata"}));

    const QVariantMap metadata = plist.value("metadata").toMap();
    QCOMPARE(metadata.value("format"), QVariant(2));
    QCOMPARE(metadata.value("textureFileName"), QVariant(QStringLiteral("hero & friends.png")));

    const QVariantMap frames = plist.value("frames").toMap();
    QCOMPARE(frames.keys(), QStringList({"hero_01.png", "hero_02.png"}));
    const QVariantMap first = frames.value("hero_01.png").toMap();
    QCOMPARE(plistReader::parseStringToRect(first.value("frame").toString()), QRect(2, 2, 64, 32));
    QCOMPARE(plistReader::parseStringToPoint(first.value("offset").toString()), QPoint(0, -1));
    // A boolean is no kind the reader knows: the key stays, without a value.
    QVERIFY(first.contains("rotated"));
    QVERIFY(!first.value("rotated").isValid());
    // ... and reading goes on after it.
    QCOMPARE(first.value("sourceSize"), QVariant(QStringLiteral("{66,34}")));
}

void TestPlistReader::valueKinds()
{
    plistReader plist;
    QVERIFY(plist.readFile(testDataPath("io/kinds.plist")));

    QCOMPARE(plist.value("count"), QVariant(42));
    QCOMPARE(plist.value("notANumber"), QVariant(0));
    QCOMPARE(plist.value("tooBig"), QVariant(0));
    QVERIFY(plist.contains("scale") && !plist.value("scale").isValid());
    QVERIFY(plist.contains("list") && !plist.value("list").isValid());
    QCOMPARE(plist.value("afterList"), QVariant(QStringLiteral("still read")));
    QCOMPARE(plist.value("twice"), QVariant(QStringLiteral("second")));
    QCOMPARE(plist.value("empty"), QVariant(QString()));
    QCOMPARE(plist.value("inner").toMap().value("deeper").toMap().value("leaf"), QVariant(-7));

    // Where a key is expected and a string stands, the dictionary ends.
    QCOMPARE(plist.value("broken"), QVariant(1));
    QVERIFY(!plist.contains("neverRead"));
    QVERIFY(!plist.contains("stray"));
}

void TestPlistReader::filesMergeLaterWins()
{
    plistReader plist;
    QVERIFY(plist.readFile(testDataPath("io/sheet.plist")));
    QVERIFY(plist.readFile(testDataPath("io/extra.plist")));
    QCOMPARE(plist.keys(), QStringList({"added", "frames", "metadata"}));
    QCOMPARE(plist.value("metadata"), QVariant(QStringLiteral("replaced")));
    QCOMPARE(plist.value("added"), QVariant(5));
}

void TestPlistReader::plistWithoutDict()
{
    plistReader plist;
    plist.insert("kept", 1);
    QVERIFY(plist.readFile(testDataPath("io/nodict.plist")));
    QCOMPARE(plist.keys(), QStringList({"kept"}));
}

void TestPlistReader::badFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray good = "<plist><dict><key>a</key><integer>1</integer>"
                            "<key>b</key><dict><key>c</key><string>d</string></dict></dict></plist>";
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("truncated") << good.left(good.size() - 20);
    QTest::newRow("cut inside a tag") << good.left(40);
    static const char binaryPlist[] = "bplist00\xd1\x01\x02QaQb\x08\x0b\x0d\x00\x00\x00\x00\x00\x00\x01\x01";
    static const char png[] = "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR";
    QTest::newRow("binary plist") << QByteArray(binaryPlist, sizeof binaryPlist - 1);
    QTest::newRow("png bytes") << QByteArray(png, sizeof png - 1);
    QTest::newRow("wrong root") << QByteArray("<dict><key>a</key><integer>1</integer></dict>");
    QTest::newRow("root of other case") << QByteArray("<Plist><dict/></Plist>");
    QTest::newRow("unterminated comment") << QByteArray("<plist><!-- <dict></dict></plist>");
    QTest::newRow("bad entity") << QByteArray("<plist><dict><key>&#xFFFFFFFF;</key></dict></plist>");
    QTest::newRow("dictionaries nested too deeply")
        << "<plist>" + QByteArray("<dict><key>k</key>").repeated(50000) + "</plist>";
    // Markup the parser skips differently from a naive scan must not hide nesting.
    QTest::newRow("nesting behind an unknown declaration")
        << "<plist><!x [>" + QByteArray("<dict><key>k</key>").repeated(200000) + "]></plist>";
    QTest::newRow("nesting behind a quote in a name")
        << "<plist><dict\">" + QByteArray("<dict><key>k</key>").repeated(200000) + "\"</plist>";
}

void TestPlistReader::badFilesAreRefused()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.plist");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    plistReader plist;
    plist.insert("kept", QStringLiteral("before"));
    const QVariantMap before = plist;
    QVERIFY(!plist.readFile(path));
    QCOMPARE(QVariantMap(plist), before);
}

void TestPlistReader::rect_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("plain") << "{{0,0},{64,32}}" << QRect(0, 0, 64, 32);
    QTest::newRow("spaces") << "{{ 1 , 2 },{ 3 , 4 }}" << QRect(1, 2, 3, 4);
    QTest::newRow("empty part dropped") << "{{1,2},,{3,4}}" << QRect(1, 2, 3, 4);
    QTest::newRow("negative") << "{{-5,7},{10,20}}" << QRect(-5, 7, 10, 20);
    QTest::newRow("not a number") << "{{a,2},{3,4}}" << QRect(0, 2, 3, 4);
    QTest::newRow("three numbers") << "{{1,2},{3}}" << QRect();
    QTest::newRow("six numbers") << "{{1,2},{3,4},{5,6}}" << QRect();
    QTest::newRow("empty") << "" << QRect();
    // Corners are computed in int: values that would overflow them give no rectangle.
    QTest::newRow("origin near INT_MAX") << "{{2147483600,0},{100,100}}" << QRect();
    QTest::newRow("size of INT_MAX") << "{{1,1},{2147483647,2147483647}}" << QRect();
    QTest::newRow("origin of INT_MIN") << "{{-2147483648,0},{1,1}}" << QRect();
    QTest::newRow("at the bound") << "{{16777216,-16777216},{16777216,1}}" << QRect(16777216, -16777216, 16777216, 1);
    QTest::newRow("past the bound") << "{{0,0},{16777217,1}}" << QRect();
}

void TestPlistReader::rect()
{
    QFETCH(QString, text);
    QFETCH(QRect, expected);
    QCOMPARE(plistReader::parseStringToRect(text), expected);
}

void TestPlistReader::point_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("plain") << "{5,7}" << QPoint(5, 7);
    QTest::newRow("spaces") << "{ -1 , 2 }" << QPoint(-1, 2);
    QTest::newRow("one number") << "{5}" << QPoint();
    QTest::newRow("rectangle") << "{{1,2},{3,4}}" << QPoint();
    QTest::newRow("near INT_MAX") << "{2147483647,1}" << QPoint();
}

void TestPlistReader::point()
{
    QFETCH(QString, text);
    QFETCH(QPoint, expected);
    QCOMPARE(plistReader::parseStringToPoint(text), expected);
}

QTEST_GUILESS_MAIN(TestPlistReader)
#include "tst_plistreader.moc"
