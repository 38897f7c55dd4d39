#include "ActionTreeTestSupport.h"

#include "Actions/CollisionAction.h"

#include "CCActionEase.h"
#include "CCCompositeActions.h"
#include "CCIntervalActions.h"

#include <chipmunk/chipmunk.h>

namespace {

// The class of a built action and its duration, or "" for none.
QString builtAs(const CCAction* action)
{
    if (!action)
        return QString();
    if (auto* collision = dynamic_cast<const CollisionAction*>(action))
        return QString("CollisionAction %1 %2 %3 %4")
            .arg(collision->type1()).arg(collision->type2()).arg(collision->uid1()).arg(collision->uid2());
    QString name = "?";
    if (dynamic_cast<const CCMoveBy*>(action)) name = "CCMoveBy";
    else if (dynamic_cast<const CCMoveTo*>(action)) name = "CCMoveTo";
    else if (dynamic_cast<const CCRotateBy*>(action)) name = "CCRotateBy";
    else if (dynamic_cast<const CCRotateTo*>(action)) name = "CCRotateTo";
    else if (dynamic_cast<const CCScaleBy*>(action)) name = "CCScaleBy";
    else if (dynamic_cast<const CCScaleTo*>(action)) name = "CCScaleTo";
    else if (dynamic_cast<const CCDelayTime*>(action)) name = "CCDelayTime";
    else if (dynamic_cast<const CCEaseInOut*>(action)) name = "CCEaseInOut";
    else if (dynamic_cast<const CCRepeatForever*>(action)) name = "CCRepeatForever";
    else if (dynamic_cast<const CCRepeat*>(action)) name = "CCRepeat";
    else if (dynamic_cast<const CCSequence*>(action)) name = "CCSequence";
    else if (dynamic_cast<const CCSpawn*>(action)) name = "CCSpawn";
    const auto* timed = dynamic_cast<const CCFiniteTimeAction*>(action);
    return timed ? name + " " + QString::number(timed->getDuration()) : name;
}

} // namespace

class tst_ActionItem : public QObject
{
    Q_OBJECT

private slots:
    void kinds_data();
    void kinds();
    void factoryIgnoresCase_data();
    void factoryIgnoresCase();
    void elementNames_data();
    void elementNames();
    void createAction_data();
    void createAction();
    void removedParameter_data();
    void removedParameter();
};

void tst_ActionItem::kinds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("tree"); // name and parameters with their defaults, in child order
    QTest::addColumn<QString>("key");

    QTest::newRow("Delay Time") << "Delay Time" << "Delay Time[duration=1]" << "delay_time";
    QTest::newRow("Ease In Out") << "Ease In Out" << "Ease In Out[rate=2]" << "ease_in_out";
    QTest::newRow("Move By") << "Move By" << "Move By[duration=1 x=50 y=50]" << "move_by";
    QTest::newRow("Move To") << "Move To" << "Move To[duration=1 x=50 y=50]" << "move_to";
    QTest::newRow("Repeat") << "Repeat" << "Repeat[times=2]" << "repeat";
    QTest::newRow("Repeat Forever") << "Repeat Forever" << "Repeat Forever" << "repeat_forever";
    QTest::newRow("Rotate By") << "Rotate By" << "Rotate By[duration=1 rotation=90]" << "rotate_by";
    QTest::newRow("Rotate To") << "Rotate To" << "Rotate To[duration=1 rotation=90]" << "rotate_to";
    QTest::newRow("Scale By") << "Scale By" << "Scale By[duration=1 scale=0.5]" << "scale_by";
    QTest::newRow("Scale To") << "Scale To" << "Scale To[duration=1 scale=0.5]" << "scale_to";
    QTest::newRow("Sequence") << "Sequence" << "Sequence" << "sequence";
    QTest::newRow("Spawn") << "Spawn" << "Spawn" << "spawn";
    QTest::newRow("On Collision") << "On Collision" << "On Collision[type1=0 type2=0 uid1=-1 uid2=-1]"
                                  << "on_collision";
}

void tst_ActionItem::kinds()
{
    QFETCH(QString, kind);
    QFETCH(QString, tree);
    QFETCH(QString, key);

    ActionModelNode parent(QString(), QString(), nullptr);
    AbstractActionItem* item = makeActionItem(kind, &parent, nullptr);
    QVERIFY(item);
    QCOMPARE(parent.count(), 1);
    QCOMPARE(parent.getChild(0), item);
    QCOMPARE(item->parent(), &parent);
    QCOMPARE(describe(item), tree);
    QCOMPARE(QString::fromStdString(item->key()), key);
    QVERIFY(!(item->flags(Qt::ItemIsEditable | Qt::ItemIsEnabled) & Qt::ItemIsEditable));
    // On Collision's parameters are integers; all others are doubles.
    for (int i = 0; i < item->count(); ++i)
        QCOMPARE(item->getChild(i)->data().typeId(),
                 kind == "On Collision" ? int(QMetaType::Int) : int(QMetaType::Double));
}

void tst_ActionItem::factoryIgnoresCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // "" when no item is made

    QTest::newRow("as shown") << "Move By" << "Move By";
    QTest::newRow("lower case") << "move by" << "Move By";
    QTest::newRow("capitals") << "ROTATE TO" << "Rotate To";
    QTest::newRow("collision in lower case") << "on collision" << "On Collision";
    QTest::newRow("element name") << "move_by" << "";
    QTest::newRow("unknown") << "Jump By" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_ActionItem::factoryIgnoresCase()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);

    // Declared first so that it outlives the items pointing at it.
    const std::unique_ptr<cpSpace, void (*)(cpSpace*)> ownedSpace(cpSpaceNew(), cpSpaceFree);
    cpSpace* space = ownedSpace.get();
    ActionModelNode parent(QString(), QString(), nullptr);
    AbstractActionItem* item = makeActionItem(name, &parent, space);
    QCOMPARE(item ? item->name() : QString(), kind);
    QCOMPARE(parent.count(), kind.isEmpty() ? 0 : 1);
    if (auto* collision = dynamic_cast<CollisionActionItem*>(item))
        QCOMPARE(collision->space(), space);

    // The registry alone makes parentless items.
    std::unique_ptr<AbstractActionItem> made(_actionFactory.create(name));
    if (kind.isEmpty() || kind == "On Collision") {
        QVERIFY(!made);
    } else {
        QVERIFY(made);
        QCOMPARE(made->name(), kind);
        QVERIFY(!made->parent());
    }
}

void tst_ActionItem::elementNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("back");

    QTest::newRow("kind") << "Ease In Out" << "ease_in_out" << "ease in out";
    QTest::newRow("parameter") << "uid2" << "uid2" << "uid2";
    QTest::newRow("mixed case") << "Repeat Forever" << "repeat_forever" << "repeat forever";
    QTest::newRow("underscore kept in case") << "A_b C" << "a_b_c" << "a b c";
}

void tst_ActionItem::elementNames()
{
    QFETCH(QString, name);
    QFETCH(QString, xml);
    QFETCH(QString, back);
    QCOMPARE(xmlize(name), xml);
    QCOMPARE(deXmlize(xml), back);
}

void tst_ActionItem::createAction_data()
{
    QTest::addColumn<QByteArray>("tree"); // one top-level action element
    QTest::addColumn<QString>("built");

    QTest::newRow("Move By") << QByteArray("<move_by duration=\"2\" x=\"3\" y=\"4\"/>") << "CCMoveBy 2";
    QTest::newRow("Scale By") << QByteArray("<scale_by scale=\"0.25\"/>") << "CCScaleBy 1";
    QTest::newRow("leaf ignores other children")
        << QByteArray("<rotate_to duration=\"3\"><delay_time/></rotate_to>") << "CCRotateTo 3";
    QTest::newRow("Sequence of two")
        << QByteArray("<sequence><move_by/><delay_time duration=\"2\"/></sequence>") << "CCSequence 3";
    QTest::newRow("Sequence with a failing child builds the other")
        << QByteArray("<sequence><ease_in_out/><rotate_by duration=\"3\"/></sequence>") << "CCRotateBy 3";
    QTest::newRow("Sequence whose children all fail")
        << QByteArray("<sequence><ease_in_out/><repeat/></sequence>") << "";
    QTest::newRow("empty Spawn") << QByteArray("<spawn/>") << "";
    QTest::newRow("Spawn lasts as its longest")
        << QByteArray("<spawn><move_by/><delay_time duration=\"2\"/></spawn>") << "CCSpawn 2";
    QTest::newRow("Ease In Out") << QByteArray("<ease_in_out><move_to/></ease_in_out>") << "CCEaseInOut 1";
    QTest::newRow("Ease In Out without a child") << QByteArray("<ease_in_out/>") << "";
    QTest::newRow("Ease In Out with two children")
        << QByteArray("<ease_in_out><move_to/><move_by/></ease_in_out>") << "";
    QTest::newRow("Ease In Out around On Collision")
        << QByteArray("<ease_in_out><on_collision><move_by/></on_collision></ease_in_out>") << "";
    QTest::newRow("Repeat truncates its times")
        << QByteArray("<repeat times=\"2.9\"><delay_time/></repeat>") << "CCRepeat 2";
    QTest::newRow("Repeat a negative count")
        << QByteArray("<repeat times=\"-3\"><delay_time/></repeat>") << "CCRepeat 1e-06";
    QTest::newRow("Repeat past the unsigned range")
        << QByteArray("<repeat times=\"1e12\"><delay_time/></repeat>") << "CCRepeat 4.29497e+09";
    QTest::newRow("Repeat around On Collision")
        << QByteArray("<repeat><on_collision><move_by/></on_collision></repeat>") << "";
    QTest::newRow("Repeat Forever")
        << QByteArray("<repeat_forever><rotate_by/></repeat_forever>") << "CCRepeatForever 0";
    QTest::newRow("Repeat Forever around a failing child")
        << QByteArray("<repeat_forever><repeat_forever/></repeat_forever>") << "";
    QTest::newRow("On Collision")
        << QByteArray("<on_collision type1=\"1\" type2=\"2\" uid1=\"5\"><move_by/></on_collision>")
        << "CollisionAction 1 2 5 -1";
    QTest::newRow("On Collision with the largest type")
        << QByteArray("<on_collision type1=\"-1\"><move_by/></on_collision>")
        << QString("CollisionAction %1 0 -1 -1").arg(static_cast<unsigned long>(-1));
    QTest::newRow("On Collision without an action") << QByteArray("<on_collision/>") << "";
    QTest::newRow("On Collision around On Collision")
        << QByteArray("<on_collision><on_collision><move_by/></on_collision></on_collision>") << "";
}

void tst_ActionItem::createAction()
{
    QFETCH(QByteArray, tree);
    QFETCH(QString, built);

    ActionModel model(nullptr, nullptr);
    QVERIFY(readText(model, "<actions>" + tree + "</actions>"));
    QCOMPARE(model.rowCount(), 1);
    auto* item = dynamic_cast<AbstractActionItem*>(model.nodeFromIndex(model.index(0, 0)));
    QVERIFY(item);
    std::unique_ptr<CCAction> action(item->createAction());
    QCOMPARE(builtAs(action.get()), built);
    // Each call builds afresh from an unchanged tree.
    std::unique_ptr<CCAction> again(item->createAction());
    QCOMPARE(builtAs(again.get()), built);
    QVERIFY(!action || action != again);

    QList<CCAction*> actions = model.actions();
    QCOMPARE(actions.size(), built.isEmpty() ? 0 : 1);
    qDeleteAll(actions);
}

void tst_ActionItem::removedParameter_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parameter");

    QTest::newRow("Delay Time duration") << "Delay Time" << "duration";
    QTest::newRow("Move To y") << "Move To" << "y";
    QTest::newRow("Rotate By rotation") << "Rotate By" << "rotation";
    QTest::newRow("Repeat times") << "Repeat" << "times";
    QTest::newRow("On Collision uid2") << "On Collision" << "uid2";
}

void tst_ActionItem::removedParameter()
{
    QFETCH(QString, kind);
    QFETCH(QString, parameter);

    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, kind));
    QVERIFY(dropKind(model, "Move By"));
    const QModelIndex item = model.index(0, 0);
    if (model.flags(item) & Qt::ItemIsDropEnabled)
        QVERIFY(dropKind(model, "Delay Time", item));
    QList<CCAction*> whole = model.actions();
    QCOMPARE(whole.size(), 2);
    qDeleteAll(whole);

    int row = 0;
    while (model.data(model.index(row, 0, item)).toString() != parameter)
        ++row;
    QVERIFY(model.removeRow(row, item));
    QList<CCAction*> actions = model.actions();
    QCOMPARE(actions.size(), 1);
    QCOMPARE(builtAs(actions.first()), QString("CCMoveBy 1"));
    qDeleteAll(actions);

    // Saved and read back, the parameter is there again with its default.
    ActionModel read(nullptr, nullptr);
    QVERIFY(readText(read, writtenText(model)));
    QList<CCAction*> again = read.actions();
    QCOMPARE(again.size(), 2);
    qDeleteAll(again);
}

QTEST_MAIN(tst_ActionItem)
#include "tst_actionitem.moc"
