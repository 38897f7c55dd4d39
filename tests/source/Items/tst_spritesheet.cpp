#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "Models/SpriteListModel.h"
#include "Toolkit/PixmapCache.h"

#include "TestSupport.h"

#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList frameNames(const SpriteSheetItem& sheet)
{
    QStringList names;
    for (int row = 0; row < sheet.model()->rowCount(); ++row)
        names << sheet.model()->index(row, 0).data().toString();
    return names;
}

// A sheet of one frame over a copy of sheet.png (16 x 8) named texture.
bool writeSheet(const QString& folder, const QString& texture, const QString& frame, bool copyTexture = true)
{
    if (copyTexture && !QFile::copy(spritePath(QStringLiteral("sheet.png")), folder + QLatin1Char('/') + texture))
        return false;
    QFile plist(folder + QStringLiteral("/sheet.plist"));
    if (!plist.open(QIODevice::WriteOnly))
        return false;
    plist.write(QStringLiteral("<plist><dict><key>frames</key><dict><key>f</key><dict><key>frame</key>"
                               "<string>%1</string></dict></dict><key>metadata</key><dict>"
                               "<key>textureFileName</key><string>%2</string></dict></dict></plist>")
                    .arg(frame, texture)
                    .toUtf8());
    return true;
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
    void hostileFramesStayInsideTheTexture_data();
    void hostileFramesStayInsideTheTexture();
    void sheetFilesThatAreNoRegularFiles_data();
    void sheetFilesThatAreNoRegularFiles();
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

void TestSpriteSheet::hostileFramesStayInsideTheTexture_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QSize>("size"); // empty: no image
    QTest::newRow("inside") << "{{8,0},{8,4}}" << QSize(8, 4);
    QTest::newRow("partly outside") << "{{12,4},{8,8}}" << QSize(4, 4);
    QTest::newRow("far larger than the texture") << "{{0,0},{16000000,16000000}}" << QSize(16, 8);
    QTest::newRow("origin near INT_MAX") << "{{2147483600,0},{100,100}}" << QSize();
    QTest::newRow("size of INT_MAX") << "{{1,1},{2147483647,2147483647}}" << QSize();
    QTest::newRow("origin of INT_MIN") << "{{-2147483648,-2147483648},{4,4}}" << QSize();
    QTest::newRow("outside") << "{{100,100},{4,4}}" << QSize();
}

// A frame's image is cut from what the texture holds, whatever the sheet says;
// values near the int range never overflow.
void TestSpriteSheet::hostileFramesStayInsideTheTexture()
{
    QFETCH(QString, frame);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    // The frame cache is per texture name: one name per row.
    const QString texture = QStringLiteral("hostile%1.png").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
    QVERIFY(writeSheet(dir.path(), texture, frame));
    SpriteSheetItem sheet(dir.filePath(QStringLiteral("sheet.plist")));
    QCOMPARE(sheet.model()->rowCount(), 1);
    const QPixmap cut = sheet.model()->index(0, 0).data(SpritePixmapRole).value<QPixmap>();
    QCOMPARE(cut.isNull(), size.isEmpty());
    if (!cut.isNull())
        QCOMPARE(cut.size(), size);
}

void TestSpriteSheet::sheetFilesThatAreNoRegularFiles_data()
{
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("what");
    QTest::newRow("plist is a fifo") << "plist" << "fifo";
    QTest::newRow("plist links to /dev/zero") << "plist" << "zero";
    QTest::newRow("texture is a fifo") << "texture" << "fifo";
    QTest::newRow("texture links to /dev/zero") << "texture" << "zero";
}

// Neither blocks nor fills memory: a plist that is no regular file gives no
// frames, a texture that is none gives frames without images.
void TestSpriteSheet::sheetFilesThatAreNoRegularFiles()
{
    QFETCH(QString, which);
    QFETCH(QString, what);
    QTemporaryDir dir;
    const QString texture = QStringLiteral("odd-%1-%2.png").arg(which, what);
    const QString plist = dir.filePath(QStringLiteral("sheet.plist"));
    const QString odd = which == QLatin1String("plist") ? plist : dir.filePath(texture);
    if (which == QLatin1String("texture"))
        QVERIFY(writeSheet(dir.path(), texture, QStringLiteral("{{0,0},{8,4}}"), false));
    if (what == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(odd).constData(), 0600), 0);
    else
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), odd));

    alarm(60);
    SpriteSheetItem sheet(plist);
    alarm(0);
    QCOMPARE(sheet.model()->rowCount(), which == QLatin1String("plist") ? 0 : 1);
    if (sheet.model()->rowCount() == 1)
        QVERIFY(sheet.model()->index(0, 0).data(SpritePixmapRole).value<QPixmap>().isNull());
}

QTEST_MAIN(TestSpriteSheet)
#include "tst_spritesheet.moc"
