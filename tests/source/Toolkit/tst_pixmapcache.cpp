#include "Toolkit/PixmapCache.h"

#include <QtTest>

class TestPixmapCache : public QObject
{
    Q_OBJECT
private slots:
    void storesReplacesAndFinds();
    void nullPixmapCountsAsMissing();
    void destroyStartsAfresh();
};

void TestPixmapCache::storesReplacesAndFinds()
{
    PixmapCache* cache = PixmapCache::get();
    QCOMPARE(PixmapCache::get(), cache);
    QVERIFY(cache->retrieve(QStringLiteral("absent")).isNull());

    QPixmap red(3, 2);
    red.fill(Qt::red);
    QPixmap blue(5, 5);
    blue.fill(Qt::blue);
    cache->insert(QStringLiteral("[t.png] - a"), red);
    QPixmap out;
    QVERIFY(cache->find(QStringLiteral("[t.png] - a"), &out));
    QCOMPARE(out.size(), QSize(3, 2));
    cache->insert(QStringLiteral("[t.png] - a"), blue);
    QCOMPARE(cache->retrieve(QStringLiteral("[t.png] - a")).size(), QSize(5, 5));
    // Keys are compared exactly.
    QVERIFY(!cache->find(QStringLiteral("[T.png] - a"), &out));
}

void TestPixmapCache::nullPixmapCountsAsMissing()
{
    PixmapCache* cache = PixmapCache::get();
    cache->insert(QStringLiteral("broken.png"), QPixmap());
    QPixmap out(4, 4);
    QVERIFY(!cache->find(QStringLiteral("broken.png"), &out));
    QVERIFY(out.isNull());
}

void TestPixmapCache::destroyStartsAfresh()
{
    QPixmap green(1, 1);
    green.fill(Qt::green);
    PixmapCache::get()->insert(QStringLiteral("kept"), green);
    PixmapCache::destroy();
    QVERIFY(PixmapCache::get()->retrieve(QStringLiteral("kept")).isNull());
}

QTEST_MAIN(TestPixmapCache)
#include "tst_pixmapcache.moc"
