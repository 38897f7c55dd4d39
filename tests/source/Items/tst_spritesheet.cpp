#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "Models/SpriteListModel.h"
#include "Toolkit/PixmapCache.h"

#include "TestSupport.h"

#include <QPointer>
#include <QtTest>

namespace {

QStringList frameNames(const SpriteSheetItem& sheet)
{
    QStringList names;
    for (int row = 0; row < sheet.model()->rowCount(); ++row)
        names << sheet.model()->index(row, 0).data().toString();
    return names;
}

} // namespace

class TestSpriteSheet : public QObject
{
    Q_OBJECT
private slots:
    void cutsFramesIntoCacheAndModel();
    void framesAreCutOncePerProcess();
    void missingTextureFallsBackToPlistName();
    void unreadablePlistLeavesNoFrames_data();
    void unreadablePlistLeavesNoFrames();
    void sheetOwnsItsSprites();
};

void TestSpriteSheet::cutsFramesIntoCacheAndModel()
{
    SpriteSheetItem sheet(spritePath(QStringLiteral("sheet.plist")));
    QCOMPARE(sheet.type(), int(SpriteSheetItemType));
    QCOMPARE(sheet.zValue(), 100.0);
    QCOMPARE(int(sheet.flags()), 0);
    QCOMPARE(sheet.rect(), QRectF(-3, -3, 6, 6));
    QCOMPARE(sheet.imageFileName(), QStringLiteral("sheet.png"));
    QCOMPARE(sheet.key(), std::string("spritesheet"));

    // Case-sensitive key order; the entry that is no dictionary is passed over.
    QCOMPARE(frameNames(sheet), (QStringList{"A.png", "a.png", "b.png"}));

    struct Expected { const char* frame; QSize size; QRgb colour; };
    const Expected expected[] = {{"A.png", QSize(8, 4), qRgb(0, 255, 0)},
                                 {"a.png", QSize(8, 4), qRgb(0, 0, 255)},
                                 {"b.png", QSize(8, 4), qRgb(255, 0, 0)}};
    for (int row = 0; row < 3; ++row) {
        const QString key = makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QLatin1String(expected[row].frame));
        QPixmap cached;
        QVERIFY(PixmapCache::get()->find(key, &cached));
        QCOMPARE(cached.size(), expected[row].size);
        QCOMPARE(cached.toImage().pixel(1, 1), expected[row].colour);

        const QModelIndex index = sheet.model()->index(row, 0);
        QCOMPARE(index.data(Qt::ToolTipRole).toString(), key);
        const QPixmap listed = index.data(SpritePixmapRole).value<QPixmap>();
        QCOMPARE(listed.cacheKey(), cached.cacheKey());
    }
    QVERIFY(PixmapCache::get()->find(spritePath(QStringLiteral("sheet.png")), nullptr));
}

void TestSpriteSheet::framesAreCutOncePerProcess()
{
    SpriteSheetItem first(spritePath(QStringLiteral("sheet.plist")));
    const QString key = makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("b.png"));
    const qint64 cut = PixmapCache::get()->retrieve(key).cacheKey();
    SpriteSheetItem second(spritePath(QStringLiteral("sheet.plist")));
    QCOMPARE(PixmapCache::get()->retrieve(key).cacheKey(), cut);
    QCOMPARE(second.model()->index(2, 0).data(SpritePixmapRole).value<QPixmap>().cacheKey(), cut);
}

void TestSpriteSheet::missingTextureFallsBackToPlistName()
{
    // The plist names nowhere.png; fallback.png beside it (the name up to its
    // first dot) is the texture, and the field keeps the plist's name.
    SpriteSheetItem sheet(spritePath(QStringLiteral("fallback.sheet.plist")));
    QCOMPARE(sheet.imageFileName(), QStringLiteral("nowhere.png"));
    QPixmap frame;
    QVERIFY(PixmapCache::get()->find(makeSpriteSheetPixmapKey(QStringLiteral("nowhere.png"), QStringLiteral("whole")), &frame));
    QCOMPARE(frame.size(), QSize(2, 2));
    QCOMPARE(frame.toImage().pixel(0, 0), qRgb(0, 255, 0));
}

void TestSpriteSheet::unreadablePlistLeavesNoFrames_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("missing") << "absent.plist";
    QTest::newRow("truncated xml") << "truncated.plist";
    QTest::newRow("binary") << "binary.plist";
    QTest::newRow("an image") << "sheet.png";
}

void TestSpriteSheet::unreadablePlistLeavesNoFrames()
{
    QFETCH(QString, file);
    SpriteSheetItem sheet(spritePath(file));
    QCOMPARE(sheet.plistFilePath(), spritePath(file));
    QVERIFY(sheet.imageFileName().isEmpty());
    QCOMPARE(sheet.model()->rowCount(), 0);
}

void TestSpriteSheet::sheetOwnsItsSprites()
{
    auto* sheet = new SpriteSheetItem(spritePath(QStringLiteral("sheet.plist")));
    QPointer<SpriteListModel> model(sheet->model());
    QPointer<GraphicItem> sprite(new GraphicItem(sheet, nullptr));
    QCOMPARE(sprite->parentItem(), sheet);
    delete sheet;
    QVERIFY(model.isNull());
    QVERIFY(sprite.isNull());
    // Frames outlive their sheet.
    QVERIFY(PixmapCache::get()->find(makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("a.png")), nullptr));
}

QTEST_MAIN(TestSpriteSheet)
#include "tst_spritesheet.moc"
