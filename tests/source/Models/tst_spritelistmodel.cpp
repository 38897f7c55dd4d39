#include "Models/SpriteListModel.h"

#include <QIcon>
#include <QtTest>

class TestSpriteListModel : public QObject
{
    Q_OBJECT
private slots:
    void entryShowsNameIconKeyAndPixmap();
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

QTEST_MAIN(TestSpriteListModel)
#include "tst_spritelistmodel.moc"
