#include "Commands/UndoCommands.h"

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPointer>
#include <QUndoStack>
#include <QtTest>

namespace {

// A graphics item that reports its own destruction, so ownership can be checked.
class TrackedItem : public QObject, public QGraphicsRectItem
{
public:
    TrackedItem() : QGraphicsRectItem(0, 0, 10, 10) {}
};

template <typename Command, typename Value>
QUndoCommand* makeCommand(QGraphicsItem* item, Value from, Value to, const QString& text)
{
    auto* command = new Command(item, from, to);
    command->setText(text);
    return command;
}

enum Kind { Rotate, Scale, Opacity };

QUndoCommand* makeKind(Kind kind, QGraphicsItem* item, float from, float to, const QString& text)
{
    switch (kind) {
    case Rotate: return makeCommand<RotateCommand>(item, from, to, text);
    case Scale: return makeCommand<ScaleCommand>(item, from, to, text);
    case Opacity: return makeCommand<OpacityCommand>(item, from, to, text);
    }
    return nullptr;
}

qreal valueOf(Kind kind, const QGraphicsItem* item)
{
    switch (kind) {
    case Rotate: return item->rotation();
    case Scale: return item->scale();
    case Opacity: return item->opacity();
    }
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestUndoCommands : public QObject
{
    Q_OBJECT
private slots:
    void runOfOneItemMerges_data();
    void runOfOneItemMerges();
    void otherItemOrKindStaysSeparate();
    void movesNeverMerge();

    void deleteAndUndoRestoresParent();
    void deleteAndUndoTopLevel();
    void clearingStackOwnsOnlyDeletionsInForce();
    void deleteUndoDeleteFreesOnce();
    void deleteOfItemOutsideAnyScene();
    void hostDestroyedBehindTheStack_data();
    void hostDestroyedBehindTheStack();
};

void TestUndoCommands::runOfOneItemMerges_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<float>("start");
    QTest::addColumn<float>("step");
    QTest::addColumn<int>("id");
    QTest::newRow("rotate") << Rotate << 0.0f << -5.0f << 2;
    QTest::newRow("scale") << Scale << 1.0f << 0.25f << 3;
    QTest::newRow("opacity") << Opacity << 1.0f << -0.25f << 4;
}

// A run of changes of one kind to one item is one undo step: its undo restores the
// value from before the run, its redo and text are those of the last change.
void TestUndoCommands::runOfOneItemMerges()
{
    QFETCH(Kind, kind);
    QFETCH(float, start);
    QFETCH(float, step);
    QFETCH(int, id);

    QGraphicsRectItem item(0, 0, 10, 10);
    QUndoStack stack;
    float value = start;
    for (int i = 1; i <= 3; ++i) {
        QUndoCommand* command = makeKind(kind, &item, value, value + step, QString("step %1").arg(i));
        QCOMPARE(command->id(), id);
        stack.push(command);
        value += step;
        QCOMPARE(valueOf(kind, &item), qreal(value)); // pushing applies at once
    }
    QCOMPARE(stack.count(), 1);
    QCOMPARE(stack.text(0), QStringLiteral("step 3"));

    stack.undo();
    QCOMPARE(valueOf(kind, &item), qreal(start));
    stack.redo();
    QCOMPARE(valueOf(kind, &item), qreal(start + 3 * step));
}

void TestUndoCommands::otherItemOrKindStaysSeparate()
{
    QGraphicsRectItem a(0, 0, 10, 10), b(0, 0, 10, 10);
    QUndoStack stack;
    stack.push(makeCommand<RotateCommand>(&a, 0.0f, 10.0f, "rotate a"));
    stack.push(makeCommand<RotateCommand>(&b, 0.0f, 20.0f, "rotate b"));
    stack.push(makeCommand<ScaleCommand>(&b, 1.0f, 2.0f, "scale b"));
    stack.push(makeCommand<OpacityCommand>(&b, 1.0f, 0.5f, "fade b"));
    QCOMPARE(stack.count(), 4);

    stack.undo();
    QCOMPARE(b.opacity(), 1.0);
    QCOMPARE(b.scale(), 2.0);
    stack.undo();
    QCOMPARE(b.scale(), 1.0);
    stack.undo();
    QCOMPARE(b.rotation(), 0.0);
    QCOMPARE(a.rotation(), 10.0);
    stack.undo();
    QCOMPARE(a.rotation(), 0.0);
}

void TestUndoCommands::movesNeverMerge()
{
    QGraphicsRectItem item(0, 0, 10, 10);
    QUndoStack stack;
    QPointF at(0, 0);
    for (int i = 1; i <= 3; ++i) {
        auto* move = new MoveCommand(&item, at, QPointF(i * 10, -i));
        QCOMPARE(move->id(), 1);
        stack.push(move);
        at = QPointF(i * 10, -i);
    }
    QCOMPARE(stack.count(), 3);
    QCOMPARE(item.pos(), QPointF(30, -3));
    stack.undo();
    QCOMPARE(item.pos(), QPointF(20, -2));
    stack.undo();
    stack.undo();
    QCOMPARE(item.pos(), QPointF(0, 0));
    stack.redo();
    QCOMPARE(item.pos(), QPointF(10, -1));
}

void TestUndoCommands::deleteAndUndoRestoresParent()
{
    QGraphicsScene scene;
    auto* sheet = new QGraphicsRectItem(0, 0, 100, 100);
    sheet->setPos(50, 50);
    scene.addItem(sheet);
    auto* sprite = new QGraphicsRectItem(0, 0, 10, 10, sheet);
    sprite->setPos(7, 8);

    QUndoStack stack;
    auto* command = new DeleteCommand(sprite);
    QCOMPARE(command->id(), 5);
    stack.push(command);
    QCOMPARE(sprite->scene(), nullptr);
    QCOMPARE(sprite->parentItem(), nullptr);
    QVERIFY(!sheet->childItems().contains(sprite));

    stack.undo();
    QCOMPARE(sprite->parentItem(), static_cast<QGraphicsItem*>(sheet));
    QCOMPARE(sprite->scene(), &scene);
    QCOMPARE(sprite->pos(), QPointF(7, 8));
    QCOMPARE(sprite->scenePos(), QPointF(57, 58));
}

void TestUndoCommands::deleteAndUndoTopLevel()
{
    QGraphicsScene scene;
    auto* a = new QGraphicsRectItem(0, 0, 10, 10);
    auto* b = new QGraphicsRectItem(0, 0, 10, 10);
    scene.addItem(a);
    scene.addItem(b);

    QUndoStack stack;
    stack.push(new DeleteCommand(a));
    stack.push(new DeleteCommand(b));
    QCOMPARE(stack.count(), 2); // deletions never merge
    QVERIFY(scene.items().isEmpty());
    stack.undo();
    stack.undo();
    QCOMPARE(scene.items().size(), 2);
    QCOMPARE(a->parentItem(), nullptr);
}

// Clearing the stack frees an item whose deletion is in force, and leaves an
// item whose deletion was undone to its scene.
void TestUndoCommands::clearingStackOwnsOnlyDeletionsInForce()
{
    QGraphicsScene scene;
    auto* deleted = new TrackedItem;
    auto* restored = new TrackedItem;
    scene.addItem(deleted);
    scene.addItem(restored);
    QPointer<QObject> deletedGuard(deleted), restoredGuard(restored);

    QUndoStack stack;
    stack.push(new DeleteCommand(restored));
    stack.undo();
    stack.clear();
    QVERIFY(restoredGuard);
    QCOMPARE(restored->scene(), &scene);

    auto* command = new DeleteCommand(deleted);
    stack.push(command);
    QVERIFY(command->inForce());
    stack.clear();
    QVERIFY(!deletedGuard);
    QCOMPARE(scene.items().size(), 1);
}

// Delete, undo, delete again: pushing the second deletion discards the undone
// first one while the item is out of the scene. Only the second may free it,
// exactly once (AddressSanitizer catches a double free here).
void TestUndoCommands::deleteUndoDeleteFreesOnce()
{
    QGraphicsScene scene;
    auto* item = new TrackedItem;
    scene.addItem(item);
    QPointer<QObject> guard(item);

    QUndoStack stack;
    stack.push(new DeleteCommand(item));
    stack.undo();
    auto* second = new DeleteCommand(item);
    stack.push(second); // destroys the undone first command
    QCOMPARE(stack.count(), 1);
    QVERIFY(guard);
    QCOMPARE(item->scene(), nullptr);

    stack.undo();
    QCOMPARE(item->scene(), &scene);
    stack.redo();
    QCOMPARE(item->scene(), nullptr);
    QVERIFY(guard);

    stack.clear();
    QVERIFY(!guard);
}

// A deletion of an item that was never in a scene must not reach a null scene,
// and still owns the item while in force.
void TestUndoCommands::deleteOfItemOutsideAnyScene()
{
    auto* item = new TrackedItem;
    QPointer<QObject> guard(item);
    {
        QUndoStack stack;
        stack.push(new DeleteCommand(item));
        QCOMPARE(item->scene(), nullptr);
        stack.undo();
        QCOMPARE(item->scene(), nullptr);
    }
    QVERIFY(guard); // undone: not owned
    {
        QUndoStack stack;
        stack.push(new DeleteCommand(item));
    }
    QVERIFY(!guard);
}

// A sprite inside a shape goes with the shape, whose deletion no command
// records. Undo and redo afterwards must not reach the freed sprite or host.
enum HostCase { ValueEdit, DeletionInForce, DeletionUndone };
Q_DECLARE_METATYPE(HostCase)

void TestUndoCommands::hostDestroyedBehindTheStack_data()
{
    QTest::addColumn<HostCase>("hostCase");
    QTest::newRow("rotation of the inner item") << ValueEdit;
    QTest::newRow("inner item deleted") << DeletionInForce;
    QTest::newRow("inner item deleted, undone") << DeletionUndone;
}

void TestUndoCommands::hostDestroyedBehindTheStack()
{
    QFETCH(HostCase, hostCase);

    QGraphicsScene scene;
    auto* host = new TrackedItem;
    scene.addItem(host);
    auto* inner = new TrackedItem;
    inner->setParentItem(host);
    QPointer<QObject> innerGuard(inner);

    QUndoStack stack;
    if (hostCase == ValueEdit)
        stack.push(makeKind(Rotate, inner, 0, 5, QStringLiteral("rotate")));
    else
        stack.push(new DeleteCommand(inner));
    if (hostCase == DeletionUndone)
        stack.undo();

    delete host;
    QCOMPARE(bool(innerGuard), hostCase == DeletionInForce);

    // Whatever is left is put back in the scene at the top level.
    stack.undo();
    stack.redo();
    stack.undo();
    if (hostCase == DeletionInForce) {
        QCOMPARE(inner->scene(), &scene);
        QCOMPARE(inner->parentItem(), nullptr);
    }
    stack.clear();
    QCOMPARE(bool(innerGuard), hostCase == DeletionInForce);
}

QTEST_MAIN(TestUndoCommands)
#include "tst_undocommands.moc"
