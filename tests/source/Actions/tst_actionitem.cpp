#include "ActionTestSupport.h"

#include <chipmunk/chipmunk.h>

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

QTEST_MAIN(tst_ActionItem)
#include "tst_actionitem.moc"
