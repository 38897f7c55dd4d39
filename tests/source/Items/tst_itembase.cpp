#include "Items/SmallShapePaint.h"
#include "Items/GradientItem.h"
#include "Items/item.h"

#include <QApplication>
#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

namespace {

class SyncProbe : public AbstractSyncItem
{
public:
    void sync(AbstractSyncItem* other) override
    {
        ++syncCount;
        lastOther = other;
    }
    int syncCount = 0;
    AbstractSyncItem* lastOther = nullptr;
};

class NodeOwner : public QGraphicsRectItem, public AbstractNodeParent
{
public:
    NodeOwner() : QGraphicsRectItem(-50, -50, 100, 100) {}
    void updatePosition(ItemNode* node) override { updated.append(node); }
    void deleteNode(ItemNode*) override {}
    QList<ItemNode*> updated;
};

class Groupable : public GroupableItem
{
public:
    bool active() const override { return shown; }
    void setActive(bool a) override { shown = a; }
    bool shown = true;
};

class Outlined : public SelectableQGraphicsItem
{
public:
    explicit Outlined(QRectF r) : rect(r) {}
    QRectF boundingRect() const override { return rect; }
    QRectF rect;
};

// Paints the item into a transparent image with the given option state.
QImage render(QGraphicsItem* item, QSize size, bool selected, QColor windowText = Qt::black)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionGraphicsItem option;
    option.state = selected ? QStyle::State_Selected : QStyle::State_None;
    option.palette.setColor(QPalette::WindowText, windowText);
    item->paint(&painter, &option, nullptr);
    painter.end();
    return image;
}

bool hasColour(const QImage& image, QColor colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

bool isBlank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() != 0)
                return false;
    return true;
}

bool near(QColor a, QColor b, int tolerance = 2)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance && qAbs(a.alpha() - b.alpha()) <= tolerance;
}

} // namespace

class TestItemBase : public QObject
{
    Q_OBJECT
private slots:
    void typeTests_data();
    void typeTests();

    void pairingSyncsAndLinksBoth();
    void pairingRefusesNullAndFullPairs();
    void destroyingEitherPartnerUnpairsTheOther_data();
    void destroyingEitherPartnerUnpairsTheOther();
    void deleteSyncPairUnpairsBoth();

    void nodeIsChildOfGraphicsParent();
    void draggedNodeReportsToParent();
    void draggedNodeWithoutParentMoves();

    void groupableDefaults();

    void selectionOutline_data();
    void selectionOutline();

    void gradientDefaults();
    void gradientPaintsThreeColourRows();
    void gradientMidColourChangesBothHalves();

    void bandsGiveTheSamePixels_data();
    void bandsGiveTheSamePixels();
    void stampLooksLikeTheDisc_data();
    void stampLooksLikeTheDisc();
    void stampRefusesWhatItCannotCopy_data();
    void stampRefusesWhatItCannotCopy();
};

void TestItemBase::typeTests_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("properties");
    QTest::addColumn<bool>("shape");
    QTest::addColumn<bool>("joint");
    QTest::addColumn<bool>("writeable");
    QTest::addColumn<bool>("parentable");

    const int u = QGraphicsItem::UserType;
    QTest::newRow("ellipse item") << int(QGraphicsEllipseItem::Type) << false << false << false << false << false;
    QTest::newRow("negative") << -5 << false << false << false << false << false;
    QTest::newRow("UserType") << u << false << false << false << false << false;
    QTest::newRow("gradient") << u + 1 << true << false << false << false << false;
    QTest::newRow("poly") << u + 2 << true << false << false << true << false;
    QTest::newRow("line") << u + 3 << true << false << false << true << false;
    QTest::newRow("path segment") << u + 4 << true << false << false << false << false;
    QTest::newRow("text") << u + 5 << true << false << false << true << false;
    QTest::newRow("path") << u + 6 << true << false << false << true << false;
    QTest::newRow("sheet") << u + 7 << true << false << false << true << false;
    QTest::newRow("sprite") << u + 8 << true << false << false << true << true;
    QTest::newRow("marker") << u + 9 << true << false << false << true << false;
    QTest::newRow("segment") << u + 10 << true << true << false << false << false;
    QTest::newRow("circle") << u + 11 << true << true << false << false << true;
    QTest::newRow("poly shape") << u + 12 << true << true << false << false << true;
    QTest::newRow("pin") << u + 13 << true << false << true << false << false;
    QTest::newRow("slide/groove") << u + 16 << true << false << true << false << false;
    QTest::newRow("unnamed 19") << u + 19 << true << false << true << false << false;
    QTest::newRow("rotary limit") << u + 21 << true << false << true << false << false;
    QTest::newRow("unnamed 22") << u + 22 << true << false << true << false << false;
    QTest::newRow("line node") << u + 23 << true << false << false << false << false;
    QTest::newRow("past the table") << u + 24 << true << false << false << false << false;
}

void TestItemBase::typeTests()
{
    QFETCH(int, type);
    const ItemType t = static_cast<ItemType>(type);
    QTEST(propertiesType(t), "properties");
    QTEST(shapeType(t), "shape");
    QTEST(jointType(t), "joint");
    QTEST(writeableType(t), "writeable");
    QTEST(parentableType(t), "parentable");
}

void TestItemBase::pairingSyncsAndLinksBoth()
{
    SyncProbe syncer, syncee;
    auto* pair = new SyncedItemPair;
    pair->syncItems(&syncer, &syncee);

    QCOMPARE(syncer.syncPair(), pair);
    QCOMPARE(syncee.syncPair(), pair);
    QCOMPARE(pair->syncer(), &syncer);
    QCOMPARE(pair->syncee(), &syncee);
    // Linking syncs at once: the follower takes the leader's state.
    QCOMPARE(syncee.syncCount, 1);
    QCOMPARE(syncee.lastOther, &syncer);
    QCOMPARE(syncer.syncCount, 0);

    pair->sync();
    QCOMPARE(syncee.syncCount, 2);
    // The destructors of the two probes free the pair.
}

void TestItemBase::pairingRefusesNullAndFullPairs()
{
    SyncProbe a, b, c;
    auto* pair = new SyncedItemPair;
    pair->syncItems(&a, nullptr);
    pair->syncItems(nullptr, &a);
    QCOMPARE(pair->syncer(), nullptr);
    QCOMPARE(pair->syncee(), nullptr);
    QCOMPARE(a.syncPair(), nullptr);
    pair->sync(); // empty pair: nothing to do
    QCOMPARE(a.syncCount, 0);

    pair->syncItems(&a, &b);
    pair->syncItems(&c, &a);
    QCOMPARE(pair->syncer(), &a);
    QCOMPARE(pair->syncee(), &b);
    QCOMPARE(c.syncPair(), nullptr);
    QCOMPARE(b.syncCount, 1);
    QCOMPARE(a.syncCount, 0);
    // b's destructor frees the pair and clears a's link.
}

void TestItemBase::destroyingEitherPartnerUnpairsTheOther_data()
{
    QTest::addColumn<bool>("destroySyncer");
    QTest::newRow("syncer destroyed") << true;
    QTest::newRow("syncee destroyed") << false;
}

void TestItemBase::destroyingEitherPartnerUnpairsTheOther()
{
    QFETCH(bool, destroySyncer);
    auto* syncer = new SyncProbe;
    auto* syncee = new SyncProbe;
    (new SyncedItemPair)->syncItems(syncer, syncee);

    SyncProbe* survivor = destroySyncer ? syncee : syncer;
    delete (destroySyncer ? syncer : syncee);
    QCOMPARE(survivor->syncPair(), nullptr);
    survivor->deleteSyncPair(); // unpaired: a no-op
    delete survivor;
}

void TestItemBase::deleteSyncPairUnpairsBoth()
{
    SyncProbe syncer, syncee;
    (new SyncedItemPair)->syncItems(&syncer, &syncee);
    syncee.deleteSyncPair();
    QCOMPARE(syncer.syncPair(), nullptr);
    QCOMPARE(syncee.syncPair(), nullptr);

    // Re-linking after a dissolve works with a fresh pair.
    (new SyncedItemPair)->syncItems(&syncer, &syncee);
    QVERIFY(syncer.syncPair());
    QCOMPARE(syncer.syncPair(), syncee.syncPair());
}

void TestItemBase::nodeIsChildOfGraphicsParent()
{
    NodeOwner owner;
    auto* node = new ItemNode(&owner);
    QCOMPARE(node->parentItem(), static_cast<QGraphicsItem*>(&owner));
    QCOMPARE(node->nodeParent(), static_cast<AbstractNodeParent*>(&owner));
    QCOMPARE(node->rect(), QRectF(-3, -3, 6, 6));
    QCOMPARE(node->brush().color(), QColor(Qt::yellow));
    QVERIFY(node->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(node->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(node->flags() & QGraphicsItem::ItemIsFocusable);
    QVERIFY(owner.updated.isEmpty());
    node->notifyParentOfUpdate();
    QCOMPARE(owner.updated, QList<ItemNode*>{node});
}

// Drags a handle on a real view; returns the handle's scene position afterwards.
static QPointF dragInView(QGraphicsScene& scene, QGraphicsItem* node, QPointF by)
{
    QGraphicsView view(&scene);
    view.setSceneRect(-100, -100, 200, 200);
    view.resize(300, 300);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view))
        return QPointF(qQNaN(), qQNaN());

    const QPoint start = view.mapFromScene(node->scenePos());
    const QPoint end = view.mapFromScene(node->scenePos() + by);
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
    for (int step = 1; step <= 2; ++step) {
        const QPoint p = start + (end - start) * step / 2;
        QMouseEvent move(QEvent::MouseMove, p, viewport->mapToGlobal(p), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, end);
    return node->scenePos();
}

void TestItemBase::draggedNodeReportsToParent()
{
    QGraphicsScene scene;
    auto* owner = new NodeOwner;
    scene.addItem(owner);
    auto* node = new ItemNode(owner);
    node->setPos(10, 10);

    const QPointF after = dragInView(scene, node, QPointF(20, 0));
    QVERIFY(qAbs(after.x() - 30) < 1.5);
    QCOMPARE(owner->pos(), QPointF(0, 0)); // only the handle moved
    // One report per move step, each naming the handle.
    QCOMPARE(owner->updated.size(), 2);
    QCOMPARE(owner->updated.first(), node);
    QCOMPARE(owner->updated.last(), node);
}

void TestItemBase::draggedNodeWithoutParentMoves()
{
    QGraphicsScene scene;
    auto* node = new ItemNode(nullptr);
    QCOMPARE(node->parentItem(), nullptr);
    scene.addItem(node);
    const QPointF after = dragInView(scene, node, QPointF(0, 20));
    QVERIFY(qAbs(after.y() - 20) < 1.5);
}

void TestItemBase::groupableDefaults()
{
    Groupable item;
    QVERIFY(item.groupId().isEmpty());
    QVERIFY(item.name().isEmpty());
    item.setGroupId("trees");
    item.setName("oak");
    QCOMPARE(item.groupId(), QStringLiteral("trees"));
    QCOMPARE(item.name(), QStringLiteral("oak"));
    // A name is held as a save writes it: what XML cannot hold is left out.
    item.setName(QStringLiteral("o\u0001a\u0000k\uffff"));
    QCOMPARE(item.name(), QStringLiteral("oak"));
    item.setGroupId(QStringLiteral("\u0000"));
    QVERIFY(item.groupId().isEmpty());
}

void TestItemBase::selectionOutline_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QColor>("windowText");
    QTest::addColumn<QColor>("contrast"); // invalid: no outline at all

    const QRectF r(2, 2, 20, 20);
    QTest::newRow("not selected") << r << false << QColor(Qt::black) << QColor();
    QTest::newRow("dark text: white outline") << r << true << QColor(127, 20, 127) << QColor(Qt::white);
    QTest::newRow("white text: black outline") << r << true << QColor(Qt::white) << QColor(Qt::black);
    QTest::newRow("mixed text") << r << true << QColor(200, 50, 200) << QColor(0, 255, 0);
    QTest::newRow("0.8 high") << QRectF(2, 2, 20, 0.8) << true << QColor(Qt::black) << QColor();
    QTest::newRow("1.0 high") << QRectF(2, 2, 20, 1.0) << true << QColor(Qt::black) << QColor(Qt::white);
}

void TestItemBase::selectionOutline()
{
    QFETCH(QRectF, rect);
    QFETCH(bool, selected);
    QFETCH(QColor, windowText);
    QFETCH(QColor, contrast);

    Outlined item(rect);
    const QImage image = render(&item, QSize(30, 30), selected, windowText);
    if (!contrast.isValid()) {
        QVERIFY(isBlank(image));
    } else {
        QVERIFY(hasColour(image, contrast));
        QVERIFY(hasColour(image, windowText)); // the dashes on top
        // Outline only: the inside stays empty.
        QCOMPARE(image.pixelColor(int(rect.center().x()), 2 + int(rect.height()) + 3).alpha(), 0);
    }
}

void TestItemBase::gradientDefaults()
{
    TriGradientItem item;
    QCOMPARE(item.type(), int(TriGradientItemType));
    QCOMPARE(item.boundingRect(), QRectF());
    QCOMPARE(item.zValue(), 0.0);
    QCOMPARE(item.flags(), QGraphicsItem::GraphicsItemFlags());
    QCOMPARE(item.parentItem(), nullptr);
    QCOMPARE(item.bottomColor(), QColor(100, 246, 100, 255));
    QCOMPARE(item.midColor(), QColor(100, 216, 100, 255));
    QCOMPARE(item.topColor(), QColor(100, 196, 100, 255));
    QVERIFY(!writeableType(static_cast<ItemType>(item.type())));
    QVERIFY(isBlank(render(&item, QSize(10, 10), false)));

    QGraphicsScene scene;
    scene.addItem(&item);
    item.setRect(QRectF(0, 0, 540, 360));
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 540, 360));
    QCOMPARE(scene.itemsBoundingRect(), QRectF(0, 0, 540, 360));
    scene.removeItem(&item);
}

void TestItemBase::gradientPaintsThreeColourRows()
{
    TriGradientItem item;
    item.setRect(QRectF(0, 0, 540, 360));
    const QImage image = render(&item, QSize(540, 361), false);
    // Item y is the image row: row 0 is the level's bottom.
    QVERIFY(near(image.pixelColor(270, 0), QColor(100, 246, 100)));
    QVERIFY(near(image.pixelColor(270, 180), QColor(100, 216, 100)));
    QVERIFY(near(image.pixelColor(270, 359), QColor(100, 196, 100)));
    // Colour depends on y only, and the edges carry no outline.
    QCOMPARE(image.pixelColor(0, 90), image.pixelColor(539, 90));
    QCOMPARE(image.pixelColor(0, 90), image.pixelColor(270, 90));
    QCOMPARE(image.pixelColor(270, 360).alpha(), 0);

    // A rectangle away from the origin: gradients still run along its own y span.
    item.setRect(QRectF(100, 50, 40, 100));
    const QImage moved = render(&item, QSize(200, 200), false);
    QVERIFY(near(moved.pixelColor(120, 50), QColor(100, 246, 100)));
    QVERIFY(near(moved.pixelColor(120, 149), QColor(100, 196, 100)));
    QCOMPARE(moved.pixelColor(99, 100).alpha(), 0);
}

void TestItemBase::gradientMidColourChangesBothHalves()
{
    TriGradientItem item;
    item.setRect(QRectF(0, 0, 100, 200));
    const QImage before = render(&item, QSize(100, 200), false);
    item.setMidColor(QColor(0, 0, 255));
    QCOMPARE(item.midColor(), QColor(0, 0, 255));
    const QImage after = render(&item, QSize(100, 200), false);
    QVERIFY(before.pixelColor(50, 60) != after.pixelColor(50, 60));
    QVERIFY(before.pixelColor(50, 140) != after.pixelColor(50, 140));
    QVERIFY(near(after.pixelColor(50, 100), QColor(0, 0, 255), 3));

    item.setTopColor(Qt::red);
    item.setBottomColor(Qt::white);
    QCOMPARE(item.topColor(), QColor(Qt::red));
    QCOMPARE(item.bottomColor(), QColor(Qt::white));
    const QImage ends = render(&item, QSize(100, 200), false);
    QVERIFY(near(ends.pixelColor(50, 199), QColor(Qt::red), 4));
    QVERIFY(near(ends.pixelColor(50, 0), QColor(Qt::white), 4));
}

// A shape painted band by band, under a clip the view already set or not,
// gives exactly the pixels of one pass.
void TestItemBase::bandsGiveTheSamePixels_data()
{
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("turn");
    QTest::addColumn<bool>("clipped");
    QTest::newRow("one band") << 0.5 << 0.0 << false;
    QTest::newRow("several bands") << 2.0 << 0.0 << false;
    QTest::newRow("turned, fractional zoom") << 2.7 << 33.0 << false;
    QTest::newRow("under the view's clip") << 2.0 << 10.0 << true;
    QTest::newRow("taller than the bands") << 8.0 << 0.0 << false;
}

void TestItemBase::bandsGiveTheSamePixels()
{
    QFETCH(double, zoom);
    QFETCH(double, turn);
    QFETCH(bool, clipped);
    QTransform world;
    world.translate(100.3, 99.6);
    world.rotate(turn);
    world.scale(zoom, -zoom);
    QPen wide(QColor(200, 0, 255, 200), 4);
    wide.setCapStyle(Qt::RoundCap);
    const QRectF bounds(-13, -13, 26, 26);
    auto paint = [&](QImage& image, bool banded) {
        image.fill(Qt::white);
        QPainter painter(&image);
        if (clipped)
            painter.setClipRect(QRect(90, 70, 35, 60));
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setTransform(world);
        auto draw = [&] {
            painter.setPen(QPen(Qt::black, 0));
            painter.setBrush(QColor(0, 100, 255, 110));
            painter.drawEllipse(QRectF(-10, -10, 20, 20));
            painter.setPen(wide);
            painter.drawLine(QLineF(-9, -8, 11, 6));
        };
        if (banded)
            paintInBands(&painter, bounds, wide, QBrush(QColor(0, 100, 255, 110)), draw);
        else
            draw();
    };
    QImage once(200, 200, QImage::Format_ARGB32_Premultiplied);
    QImage inBands(once.size(), once.format());
    paint(once, false);
    paint(inBands, true);
    QVERIFY(once != QImage(once.size(), once.format()));
    QCOMPARE(inBands, once);
}

namespace {

// Ink of an image on white: how much, and where its middle lies.
struct Ink {
    double amount = 0;
    QPointF middle;
};

Ink inkOf(const QImage& image)
{
    Ink ink;
    double x = 0, y = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int col = 0; col < image.width(); ++col) {
            const QColor c = image.pixelColor(col, row);
            const double dark = 3 * 255 - c.red() - c.green() - c.blue();
            ink.amount += dark;
            x += dark * (col + 0.5);
            y += dark * (row + 0.5);
        }
    }
    if (ink.amount > 0)
        ink.middle = QPointF(x / ink.amount, y / ink.amount);
    return ink;
}

} // namespace

// A stamped disc has the ink of the disc painted directly, in its place,
// whatever the turn, zoom and pen.
void TestItemBase::stampLooksLikeTheDisc_data()
{
    QTest::addColumn<double>("diameter");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("turn");
    QTest::addColumn<QPen>("pen");
    QTest::addColumn<bool>("antialiased");
    QPen wide(QColor(200, 0, 255, 200), 4);
    wide.setCapStyle(Qt::RoundCap);
    QTest::newRow("handle, turned") << 6.0 << 1.0 << 33.0 << QPen(Qt::black, 0) << false;
    QTest::newRow("handle, antialiased") << 6.0 << 1.0 << 10.0 << QPen(Qt::black, 0) << true;
    QPen hairline(Qt::black, 0.5);
    hairline.setCosmetic(true);
    // Drawn after the handle above: its stamp must not be taken for this one.
    QTest::newRow("thinner cosmetic pen") << 6.0 << 1.0 << 10.0 << hairline << true;
    QTest::newRow("joint end, wide translucent pen") << 6.0 << 1.6 << 0.0 << wide << true;
    QTest::newRow("body, fractional zoom") << 20.0 << 1.37 << 71.0 << QPen(Qt::black, 0) << true;
    QTest::newRow("small mark, no pen") << 2.0 << 0.6 << 0.0 << QPen(Qt::NoPen) << true;
}

void TestItemBase::stampLooksLikeTheDisc()
{
    QFETCH(double, diameter);
    QFETCH(double, zoom);
    QFETCH(double, turn);
    QFETCH(QPen, pen);
    QFETCH(bool, antialiased);
    const QBrush brush(QColor(0, 100, 255, 200));
    const QRectF disc(-diameter / 2 + 1.5, -diameter / 2 - 0.7, diameter, diameter);
    for (const QPointF at : {QPointF(40.3, 39.6), QPointF(40.0, 40.0), QPointF(40.62, 40.13)}) {
        QTransform world;
        world.translate(at.x(), at.y());
        world.rotate(turn);
        world.scale(zoom, -zoom);
        auto paint = [&](QImage& image, bool stamped) {
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, antialiased);
            painter.setTransform(world);
            painter.setPen(pen);
            painter.setBrush(brush);
            if (stamped)
                QVERIFY(drawDiscStamp(&painter, disc, pen, brush));
            else
                painter.drawEllipse(disc);
            // The painter is left as it was found.
            QCOMPARE(painter.worldTransform(), world);
        };
        QImage direct(80, 80, QImage::Format_ARGB32_Premultiplied);
        QImage stamp(direct.size(), direct.format());
        paint(direct, false);
        paint(stamp, true);
        const Ink want = inkOf(direct), got = inkOf(stamp);
        QVERIFY(want.amount > 0);
        QVERIFY2(std::abs(got.amount - want.amount) <= 0.06 * want.amount,
                 qPrintable(QString("ink %1 against %2").arg(got.amount).arg(want.amount)));
        const QPointF off = got.middle - want.middle;
        // An aliased disc lands on whole pixels either way.
        QVERIFY2(std::hypot(off.x(), off.y()) <= (antialiased ? 0.2 : 0.5),
                 qPrintable(QString("middle off by %1, %2").arg(off.x()).arg(off.y())));
    }
}

// Where a stamp could differ from the disc, nothing is drawn and the caller
// paints the disc itself.
void TestItemBase::stampRefusesWhatItCannotCopy_data()
{
    QTest::addColumn<QString>("what");
    for (const char* what : {"ellipse", "dashed pen", "gradient brush", "too wide", "sheared", "uneven scale",
                             "composition", "picture", "device pixel ratio", "far away", "selected item"})
        QTest::newRow(what) << QString(what);
}

void TestItemBase::stampRefusesWhatItCannotCopy()
{
    QFETCH(QString, what);
    QRectF disc(-3, -3, 6, 6);
    QPen pen(Qt::black, 0);
    QBrush brush(Qt::yellow);
    QTransform world = QTransform::fromTranslate(20, 20);
    if (what == "ellipse")
        disc = QRectF(-3, -3, 6, 4);
    else if (what == "dashed pen")
        pen.setStyle(Qt::DashLine);
    else if (what == "gradient brush")
        brush = QBrush(QLinearGradient(0, 0, 1, 1));
    else if (what == "too wide")
        world.scale(20, 20);
    else if (what == "sheared")
        world.shear(0.3, 0);
    else if (what == "uneven scale")
        world.scale(2, 1);
    else if (what == "far away")
        world.translate(1e12, 0);
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    if (what == "device pixel ratio")
        image.setDevicePixelRatio(2);
    QPicture picture;
    QPainter painter;
    if (what == "picture")
        painter.begin(&picture);
    else
        painter.begin(&image);
    if (what == "composition")
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setTransform(world);
    if (what == "selected item") {
        QGraphicsEllipseItem item(disc);
        item.setPen(pen);
        item.setBrush(brush);
        QStyleOptionGraphicsItem option;
        option.state |= QStyle::State_Selected;
        QVERIFY(!drawDiscStamp(&painter, &option, item));
        option.state &= ~QStyle::State_Selected;
        // The same disc unselected is stamped, so the refusal is the selection's.
        QImage other(image.size(), image.format());
        other.fill(Qt::white);
        QPainter elsewhere(&other);
        elsewhere.setTransform(world);
        QVERIFY(drawDiscStamp(&elsewhere, &option, item));
    } else {
        QVERIFY(!drawDiscStamp(&painter, disc, pen, brush));
    }
    painter.end();
    if (what == "picture") {
        QPainter replay(&image);
        picture.play(&replay);
    }
    QCOMPARE(inkOf(image).amount, 0.0);
}

QTEST_MAIN(TestItemBase)
#include "tst_itembase.moc"
