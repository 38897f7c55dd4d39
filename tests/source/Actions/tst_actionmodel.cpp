#include "ActionTreeTestSupport.h"

#include <QDataStream>
#include <QSignalSpy>

class tst_ActionModel : public QObject
{
    Q_OBJECT

private slots:
    void emptyModel();
    void headers_data();
    void headers();
    void indexesWalkTheTree();
    void flags_data();
    void flags();
    void paletteDropAddsDefaultRow();
    void dropAppendsWhateverTheRow();
    void dropOnValueCellNamesTheRow();
    void dropRefused_data();
    void dropRefused();
    void setData_data();
    void setData();
    void removeRows_data();
    void removeRows();
};

void tst_ActionModel::emptyModel()
{
    ActionModel model(nullptr, nullptr);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 2);
    QVERIFY(!model.index(0, 0).isValid());
    QVERIFY(model.actions().isEmpty());
}

void tst_ActionModel::headers_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("name") << 0 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("Name");
    QTest::newRow("value") << 1 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("Value");
    QTest::newRow("any other section") << 7 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("Value");
    QTest::newRow("vertical") << 0 << int(Qt::Vertical) << int(Qt::DisplayRole) << QVariant();
    QTest::newRow("edit role") << 0 << int(Qt::Horizontal) << int(Qt::EditRole) << QVariant();
}

void tst_ActionModel::headers()
{
    QFETCH(int, section);
    QFETCH(int, orientation);
    QFETCH(int, role);
    QFETCH(QVariant, expected);
    ActionModel model(nullptr, nullptr);
    QCOMPARE(model.headerData(section, Qt::Orientation(orientation), role), expected);
}

void tst_ActionModel::indexesWalkTheTree()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Sequence"));
    const QModelIndex sequence = model.index(0, 0);
    QVERIFY(dropKind(model, "Move By", sequence));
    QVERIFY(dropKind(model, "Delay Time", sequence));

    QCOMPARE(model.rowCount(sequence), 2);
    QCOMPARE(model.columnCount(sequence), 1); // an action's children have one column of their own
    const QModelIndex delay = model.index(1, 0, sequence);
    QCOMPARE(model.data(delay).toString(), QString("Delay Time"));
    QCOMPARE(model.parent(delay), sequence);
    QVERIFY(!model.parent(sequence).isValid());

    const QModelIndex duration = model.index(0, 1, delay);
    QCOMPARE(model.columnCount(duration), 2);
    QCOMPARE(model.data(duration).toDouble(), 1.0);
    QCOMPARE(model.data(model.index(0, 0, delay)).toString(), QString("duration"));
    QVERIFY(!model.data(duration, Qt::EditRole).isValid()); // the editor opens empty
    QVERIFY(!model.data(model.index(1, 1, sequence)).isValid()); // an action has no value
    QVERIFY(!model.data(model.index(0, 1), Qt::DecorationRole).isValid());
    QCOMPARE(model.parent(duration), delay);
    QVERIFY(!model.index(3, 0, delay).isValid());
}

void tst_ActionModel::flags_data()
{
    // The row checked: the kind dropped at the top level, with innerActions
    // "Delay Time" rows dropped into it (beside its parameters); parameter picks
    // the kind's first parameter row instead of the kind.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("innerActions");
    QTest::addColumn<bool>("parameter");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("expected");

    const int base = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const int action = base | Qt::ItemIsDragEnabled;
    const int accepting = action | Qt::ItemIsDropEnabled;

    QTest::newRow("top level") << QString() << 0 << false << 0 << int(Qt::ItemIsDropEnabled);
    QTest::newRow("Move By is a leaf") << "Move By" << 0 << false << 0 << action;
    QTest::newRow("action value column") << "Sequence" << 0 << false << 1 << accepting;
    QTest::newRow("Sequence with three") << "Sequence" << 3 << false << 0 << accepting;
    QTest::newRow("Repeat with its times only") << "Repeat" << 0 << false << 0 << accepting;
    QTest::newRow("Repeat with one child") << "Repeat" << 1 << false << 0 << action;
    QTest::newRow("Ease In Out with one child") << "Ease In Out" << 1 << false << 0 << action;
    QTest::newRow("Repeat Forever empty") << "Repeat Forever" << 0 << false << 0 << accepting;
    QTest::newRow("Repeat Forever with one") << "Repeat Forever" << 1 << false << 0 << action;
    QTest::newRow("On Collision with its four") << "On Collision" << 0 << false << 0 << accepting;
    QTest::newRow("On Collision with one child") << "On Collision" << 1 << false << 0 << action;
    QTest::newRow("parameter name") << "Move By" << 0 << true << 0 << base;
    QTest::newRow("parameter value") << "Move By" << 0 << true << 1 << (base | Qt::ItemIsEditable);
}

void tst_ActionModel::flags()
{
    QFETCH(QString, kind);
    QFETCH(int, innerActions);
    QFETCH(bool, parameter);
    QFETCH(int, column);
    QFETCH(int, expected);

    ActionModel model(nullptr, nullptr);
    QModelIndex checked;
    if (!kind.isEmpty()) {
        QVERIFY(dropKind(model, kind));
        const QModelIndex item = model.index(0, 0);
        for (int i = 0; i < innerActions; ++i)
            QVERIFY(dropKind(model, "Delay Time", item));
        checked = model.index(0, column, parameter ? item : QModelIndex());
    }
    QCOMPARE(int(model.flags(checked)), expected);
}

void tst_ActionModel::paletteDropAddsDefaultRow()
{
    ActionModel model(nullptr, nullptr);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(dropKind(model, "Move By"));
    QCOMPARE(describe(model), QString("Move By[duration=1 x=50 y=50]"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), QModelIndex());
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 0);
}

void tst_ActionModel::dropAppendsWhateverTheRow()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Sequence"));
    const QModelIndex sequence = model.index(0, 0);
    for (const char* kind : {"Move By", "Rotate By", "Scale To"})
        QVERIFY(dropKind(model, kind, sequence));

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    std::unique_ptr<QMimeData> data = paletteDrag("Delay Time");
    QVERIFY(model.dropMimeData(data.get(), Qt::CopyAction, 1, 0, sequence));
    QCOMPARE(describe(model), QString("Sequence(Move By[duration=1 x=50 y=50] Rotate By[duration=1 rotation=90] "
                                      "Scale To[duration=1 scale=0.5] Delay Time[duration=1])"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 3);
}

void tst_ActionModel::dropOnValueCellNamesTheRow()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Spawn"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(dropKind(model, "Move To", model.index(0, 1)));
    QCOMPARE(describe(model), QString("Spawn(Move To[duration=1 x=50 y=50])"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(0).value<QModelIndex>(), model.index(0, 0));
}

void tst_ActionModel::dropRefused_data()
{
    QTest::addColumn<QString>("target"); // "top", "parameter", "full repeat", "leaf"
    QTest::addColumn<QString>("kind");   // dragged display text; "" for data of another format
    QTest::addColumn<int>("action");

    QTest::newRow("move") << "top" << "Move By" << int(Qt::MoveAction);
    QTest::newRow("onto a parameter") << "parameter" << "Move By" << int(Qt::CopyAction);
    QTest::newRow("into a full Repeat") << "full repeat" << "Move By" << int(Qt::CopyAction);
    QTest::newRow("into a leaf") << "leaf" << "Move By" << int(Qt::CopyAction);
    QTest::newRow("no such kind") << "top" << "Jump By" << int(Qt::CopyAction);
    QTest::newRow("other drag format") << "top" << QString() << int(Qt::CopyAction);
}

void tst_ActionModel::dropRefused()
{
    QFETCH(QString, target);
    QFETCH(QString, kind);
    QFETCH(int, action);

    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Repeat"));
    QVERIFY(dropKind(model, "Rotate To", model.index(0, 0)));
    const QString before = describe(model);

    QModelIndex parent;
    if (target == "parameter")
        parent = model.index(0, 0, model.index(0, 0));
    else if (target == "full repeat")
        parent = model.index(0, 0);
    else if (target == "leaf")
        parent = model.index(1, 0, model.index(0, 0));

    // The palette's own format, built by hand so that any display text can be sent.
    QMimeData data;
    if (kind.isEmpty()) {
        data.setText("Move By");
    } else {
        QByteArray encoded;
        QDataStream stream(&encoded, QIODevice::WriteOnly);
        stream << 0 << 0 << QMap<int, QVariant>{{Qt::DisplayRole, kind}};
        data.setData("application/x-qstandarditemmodeldatalist", encoded);
    }

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QVERIFY(!model.dropMimeData(&data, Qt::DropAction(action), -1, -1, parent));
    QCOMPARE(describe(model), before);
    QCOMPARE(inserted.count(), 0);
}

void tst_ActionModel::setData_data()
{
    QTest::addColumn<QString>("parameter"); // "duration" of a Delay Time, "type1" of an On Collision
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("stored");

    const int edit = Qt::EditRole;
    QTest::newRow("fraction") << "duration" << 1 << edit << QVariant("0.25") << true << QVariant(0.25);
    QTest::newRow("exponent") << "duration" << 1 << edit << QVariant("1e2") << true << QVariant(100.0);
    QTest::newRow("number") << "duration" << 1 << edit << QVariant(3.5) << true << QVariant(3.5);
    QTest::newRow("no number") << "duration" << 1 << edit << QVariant("abc") << false << QVariant(1.0);
    QTest::newRow("empty") << "duration" << 1 << edit << QVariant("") << false << QVariant(1.0);
    QTest::newRow("not finite") << "duration" << 1 << edit << QVariant("inf") << false << QVariant(1.0);
    QTest::newRow("name column") << "duration" << 0 << edit << QVariant("2") << false << QVariant(1.0);
    QTest::newRow("display role") << "duration" << 1 << int(Qt::DisplayRole) << QVariant("2") << false << QVariant(1.0);
    QTest::newRow("int") << "type1" << 1 << edit << QVariant("7") << true << QVariant(7);
    QTest::newRow("int out of range") << "type1" << 1 << edit << QVariant("1e10") << false << QVariant(0);
}

void tst_ActionModel::setData()
{
    QFETCH(QString, parameter);
    QFETCH(int, column);
    QFETCH(int, role);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QVariant, stored);

    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, parameter == "duration" ? "Delay Time" : "On Collision"));
    const QModelIndex row = model.index(0, column, model.index(0, 0));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.setData(row, value, role), accepted);
    const QVariant shown = model.data(row.siblingAtColumn(1));
    QCOMPARE(shown.typeId(), stored.typeId());
    QCOMPARE(shown, stored);
    QCOMPARE(changed.count(), 0);
}

void tst_ActionModel::removeRows_data()
{
    QTest::addColumn<bool>("nested"); // rows of the Sequence, else top-level rows
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("left"); // kinds left at the level, "" when refused

    QTest::newRow("first") << false << 0 << 1 << "Delay Time Spawn";
    QTest::newRow("two from the middle") << false << 1 << 2 << "Sequence";
    QTest::newRow("last") << false << 2 << 1 << "Sequence Delay Time";
    QTest::newRow("nested") << true << 1 << 1 << "Move By";
    QTest::newRow("past the end") << false << 3 << 1 << "";
    QTest::newRow("running past the end") << false << 2 << 2 << "";
    QTest::newRow("negative") << false << -1 << 1 << "";
    QTest::newRow("none") << false << 0 << 0 << "";
    QTest::newRow("nested past the end") << true << 2 << 1 << "";
}

void tst_ActionModel::removeRows()
{
    QFETCH(bool, nested);
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(QString, left);

    ActionModel model(nullptr, nullptr);
    for (const char* kind : {"Sequence", "Delay Time", "Spawn"})
        QVERIFY(dropKind(model, kind));
    const QModelIndex sequence = model.index(0, 0);
    QVERIFY(dropKind(model, "Move By", sequence));
    QVERIFY(dropKind(model, "Scale By", sequence));
    const QString before = describe(model);
    const QModelIndex parent = nested ? sequence : QModelIndex();

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    const bool done = model.removeRows(row, count, parent);
    QCOMPARE(done, !left.isEmpty());
    if (!done) {
        QCOMPARE(describe(model), before);
        QCOMPARE(removed.count(), 0);
        return;
    }
    QStringList kinds;
    for (int i = 0; i < model.rowCount(parent); ++i)
        kinds << model.data(model.index(i, 0, parent)).toString();
    QCOMPARE(kinds.join(' '), left);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), row);
    QCOMPARE(removed.at(0).at(2).toInt(), row + count - 1);
}

QTEST_MAIN(tst_ActionModel)
#include "tst_actionmodel.moc"
