#include "Models/SpriteListModel.h"

#include <QIcon>
#include <QSignalSpy>
#include <QtTest>

class TestSpriteListModel : public QObject
{
    Q_OBJECT
private slots:
    void entryShowsNameIconKeyAndPixmap();
    void setPixmapKeepsIcon();
};

void TestSpriteListModel::entryShowsNameIconKeyAndPixmap()
{
    QPixmap pixmap(6, 3);
    pixmap.fill(Qt::magenta);
    SpriteListModel model;
    model.appendRow(new SpriteListModelItem(pixmap, QStringLiteral("run1.png"),
                                            QStringLiteral("[hero.png] - run1.png")));
    const QModelIndex index = model.index(0, 0);
    QCOMPARE(SpritePixmapRole, 33);
    QCOMPARE(index.data(Qt::DisplayRole).toString(), QStringLiteral("run1.png"));
    QCOMPARE(index.data(Qt::ToolTipRole).toString(), QStringLiteral("[hero.png] - run1.png"));
    QVERIFY(!index.data(Qt::DecorationRole).value<QIcon>().isNull());
    const QPixmap stored = index.data(SpritePixmapRole).value<QPixmap>();
    QCOMPARE(stored.size(), QSize(6, 3));
    QCOMPARE(stored.toImage().pixel(0, 0), QColor(Qt::magenta).rgb());
}

void TestSpriteListModel::setPixmapKeepsIcon()
{
    QPixmap first(6, 3);
    first.fill(Qt::magenta);
    QPixmap second(2, 9);
    second.fill(Qt::cyan);
    SpriteListModel model;
    auto* entry = new SpriteListModelItem(first, QStringLiteral("a.png"), QStringLiteral("images/a.png"));
    model.appendRow(entry);
    const QModelIndex index = model.index(0, 0);
    const qint64 icon = index.data(Qt::DecorationRole).value<QIcon>().cacheKey();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    entry->setPixmap(second);

    QCOMPARE(entry->pixmap().size(), QSize(2, 9));
    const QPixmap stored = index.data(SpritePixmapRole).value<QPixmap>();
    QCOMPARE(stored.size(), QSize(2, 9));
    QCOMPARE(stored.toImage().pixel(0, 0), QColor(Qt::cyan).rgb());
    QCOMPARE(index.data(Qt::DecorationRole).value<QIcon>().cacheKey(), icon);
    QCOMPARE(index.data(Qt::ToolTipRole).toString(), QStringLiteral("images/a.png"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>(), index);
}

QTEST_MAIN(TestSpriteListModel)
#include "tst_spritelistmodel.moc"
