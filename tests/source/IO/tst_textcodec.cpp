#include "IO/textcodec.h"

#include <QtTest>

class TestTextCodec : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void encodeIsUtf8();
    void number_data();
    void number();
    void xmlSafe_data();
    void xmlSafe();
};

void TestTextCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
    QTest::newRow("utf-8") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9");
    QTest::newRow("latin-1 fallback") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9");
    QTest::newRow("truncated utf-8") << QByteArray("a\xc3") << QStringLiteral("a\u00c3");
    QTest::newRow("empty") << QByteArray("") << QString();
}

void TestTextCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(decodeText(bytes.constData()), expected);
    QCOMPARE(decodeText(bytes.toStdString()), expected);
}

void TestTextCodec::encodeIsUtf8()
{
    const QString text = QStringLiteral("\u00e9\u4e2d");
    QCOMPARE(QByteArray::fromStdString(encodeText(text)), text.toUtf8());
    QCOMPARE(decodeText(encodeText(text)), text);
    QVERIFY(decodeText(nullptr).isNull());
}

void TestTextCodec::number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "12.5" << 12.5;
    QTest::newRow("exponent") << "-1e3" << -1000.0;
    QTest::newRow("garbage") << "12abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("nan") << "nan" << 0.0;
    QTest::newRow("inf") << "inf" << 0.0;
    QTest::newRow("overflow") << "1e999" << 0.0;
}

void TestTextCodec::number()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(numberFromText(text), expected);
}

void TestTextCodec::xmlSafe_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain") << QByteArray("a\tb\nc\rd \xc3\xa9") << QByteArray("a\tb\nc\rd \xc3\xa9");
    QTest::newRow("controls") << QByteArray("a\x01" "b\x1f") << QByteArray("ab");
    QTest::newRow("nul") << QByteArray("a\0b", 3) << QByteArray("ab");
    QTest::newRow("surrogate") << QByteArray("a\xed\xa0\x80" "b") << QByteArray("ab");
    QTest::newRow("noncharacters") << QByteArray("\xef\xbf\xbe\xef\xbf\xbfz") << QByteArray("z");
    // A control between the bytes of a surrogate: once it goes, they meet.
    QTest::newRow("surrogate across a control") << QByteArray("a\xed\x13\xb3\x86" "b") << QByteArray("ab");
    QTest::newRow("latin-1 kept") << QByteArray("caf\xe9") << QByteArray("caf\xe9");
}

void TestTextCodec::xmlSafe()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    const std::string safe = xmlSafeText(bytes.toStdString());
    QCOMPARE(QByteArray::fromStdString(safe), expected);
    // What was made safe stays as it is on the next save.
    QCOMPARE(xmlSafeText(safe), safe);
}

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
