#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

#include "Items/LineItem.h"
#include "Items/item.h"
#include "Models/GroupModel.h"
#include "Views/EditorScene.h"
#include "Views/EditorView.h"
#include "LevelFixture.h"

namespace {

class Member : public GroupableItem
{
public:
    Member(QString name, bool on) : on(on) { m_name = name; }
    bool active() const override { return on; }
    void setActive(bool active) override { on = active; }
    bool on;
};

} // namespace

class TestGroupModel : public QObject
{
    Q_OBJECT

private slots:
    void rowsInKeyOrder();
    void groupCheckState_data();
    void groupCheckState();
    void checkingRows();
    void groupsOfCanvas();
    void rowReadAfterGroupShrank();
    void resetOnGroupSignals();
};

// Groups sorted by id (case-sensitive), items in joining order, two columns,
// item rows parented by their group row.
void TestGroupModel::rowsInKeyOrder()
{
    Member a("a1", true), b("b1", false), c("b2", true);
    GroupModel::GroupMap map;
    GroupModel model(&map);
    QCOMPARE(model.rowCount(), 0);

    map["beta"] = {&b, &c};
    map["Zed"] = {};
    map["alpha"] = {&a};
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Zed"));
    QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("alpha"));
    const QModelIndex beta = model.index(2, 0);
    QCOMPARE(model.data(beta).toString(), QStringLiteral("beta"));
    QCOMPARE(model.rowCount(beta), 2);
    QCOMPARE(model.data(model.index(1, 0, beta)).toString(), QStringLiteral("b2"));

    const QModelIndex item = model.index(1, 1, beta);
    QCOMPARE(model.parent(item), beta);
    QCOMPARE(model.rowCount(item), 0);
    // A group row has no parent: its marker is not a row number.
    QVERIFY(!model.parent(beta).isValid());
    QVERIFY(!model.parent(model.index(0, 0)).isValid());

    QCOMPARE(model.data(item).toString(), QStringLiteral("Visible"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("Visible"));
    QVERIFY(model.flags(item) & Qt::ItemIsUserCheckable);
    QVERIFY(!(model.flags(model.index(0, 0, beta)) & (Qt::ItemIsUserCheckable | Qt::ItemIsEditable)));
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Group/Item"));
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Showing"));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());

    // A name added without a signal (the registry's remove of a group it does
    // not list adds it empty) takes its row among the rows read before.
    map["alpha2"];
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("alpha2"));
    QCOMPARE(model.rowCount(model.index(3, 0)), 2);
}

void TestGroupModel::groupCheckState_data()
{
    QTest::addColumn<QList<bool> >("shown");
    QTest::addColumn<int>("state");
    QTest::newRow("all shown") << QList<bool>{true, true} << int(Qt::Checked);
    QTest::newRow("all hidden") << QList<bool>{false, false, false} << int(Qt::Unchecked);
    QTest::newRow("shown then hidden") << QList<bool>{true, false} << int(Qt::PartiallyChecked);
    QTest::newRow("hidden then shown") << QList<bool>{false, false, true} << int(Qt::PartiallyChecked);
    QTest::newRow("empty") << QList<bool>{} << -1;
}

void TestGroupModel::groupCheckState()
{
    QFETCH(QList<bool>, shown);
    QFETCH(int, state);
    std::vector<std::unique_ptr<Member> > members;
    GroupModel::GroupMap map;
    map["g"];
    for (bool on : shown) {
        members.emplace_back(new Member("m", on));
        map["g"].append(members.back().get());
    }
    GroupModel model(&map);
    QCOMPARE(model.data(model.index(0, 1), Qt::CheckStateRole).toInt(), state);
    for (int i = 0; i < shown.size(); ++i) {
        QCOMPARE(model.data(model.index(i, 1, model.index(0, 0)), Qt::CheckStateRole).toInt(),
                 shown.at(i) ? int(Qt::Checked) : int(Qt::Unchecked));
    }
}

// The check box switches a whole group or one item; nothing else is editable.
void TestGroupModel::checkingRows()
{
    Member a("a", true), b("b", true);
    GroupModel::GroupMap map{{"g", {&a, &b}}};
    GroupModel model(&map);
    const QModelIndex group = model.index(0, 1);

    QVERIFY(model.setData(group, int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(!a.on && !b.on);
    QCOMPARE(model.data(group, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));

    QVERIFY(model.setData(model.index(1, 1, model.index(0, 0)), int(Qt::Checked), Qt::CheckStateRole));
    QVERIFY(!a.on && b.on);
    QCOMPARE(model.data(group, Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));

    // Partially checked counts as on.
    QVERIFY(model.setData(group, int(Qt::PartiallyChecked), Qt::CheckStateRole));
    QVERIFY(a.on && b.on);

    QVERIFY(!model.setData(model.index(0, 0), int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(!model.setData(group, int(Qt::Unchecked), Qt::EditRole));
    QVERIFY(!model.setData(QModelIndex(), int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(a.on && b.on);
}

// Over the canvas's own registry: unchecking a group hides its lines.
void TestGroupModel::groupsOfCanvas()
{
    Level level;
    EditorView& view = level.view;
    auto* one = new LineItem(view.scene(), QPointF(0, 0), QPointF(10, 0), false);
    auto* two = new LineItem(view.scene(), QPointF(0, 5), QPointF(10, 5), false);
    one->setGroupId("walls");
    one->setName("left");
    two->setGroupId("walls");

    GroupModel model(view.groupMap());
    QCOMPARE(model.rowCount(), 1);
    const QModelIndex walls = model.index(0, 0);
    QCOMPARE(model.data(model.index(0, 0, walls)).toString(), QStringLiteral("left"));
    QVERIFY(model.setData(model.index(0, 1), int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(!one->isVisible());
    QVERIFY(!two->isVisible());
    QCOMPARE(model.data(model.index(0, 1), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

// An item deleted out of its group shrinks the registry without a signal; an
// index taken before must not read past the list.
void TestGroupModel::rowReadAfterGroupShrank()
{
    Level level;
    EditorView& view = level.view;
    auto* one = new LineItem(view.scene(), QPointF(0, 0), QPointF(10, 0), false);
    auto* two = new LineItem(view.scene(), QPointF(0, 5), QPointF(10, 5), false);
    one->setGroupId("walls");
    two->setGroupId("walls");
    two->setName("second");

    GroupModel model(view.groupMap());
    const QModelIndex last = model.index(1, 1, model.index(0, 0));
    QVERIFY(last.isValid());
    delete two;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(model.rowCount(model.index(0, 0)), 1);
    QVERIFY(!model.data(last, Qt::CheckStateRole).isValid());
    QVERIFY(!model.data(model.index(1, 0, model.index(0, 0))).isValid());
    QVERIFY(!model.setData(last, int(Qt::Unchecked), Qt::CheckStateRole));
    QVERIFY(one->isVisible());

    // A group row past the end reads nothing either.
    view.clearAll();
    view.init();
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.data(model.index(0, 0, QModelIndex())).isValid());
    QVERIFY(!model.data(last.parent()).isValid());
    QVERIFY(!model.setData(last.parent().siblingAtColumn(1), int(Qt::Unchecked), Qt::CheckStateRole));
    QCOMPARE(model.rowCount(last.parent()), 0);
}

void TestGroupModel::resetOnGroupSignals()
{
    GroupModel::GroupMap map;
    GroupModel model(&map);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.groupUpdated("", "x");
    model.groupsReset();
    QCOMPARE(reset.size(), 2);
}

QTEST_MAIN(TestGroupModel)
#include "tst_groupmodel.moc"
