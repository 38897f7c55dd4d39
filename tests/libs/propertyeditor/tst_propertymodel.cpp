#include <QSignalSpy>
#include <QtTest>

#include "EnumProperty.h"
#include "PointProperty.h"
#include "Property.h"
#include "QPropertyModel.h"

#include "SampleObjects.h"

namespace {

QStringList childNames(const QAbstractItemModel& model, const QModelIndex& parent = QModelIndex())
{
    QStringList names;
    for (int i = 0; i < model.rowCount(parent); ++i)
        names << model.index(i, 0, parent).data(Qt::DisplayRole).toString();
    return names;
}

QModelIndex find(const QAbstractItemModel& model, const QString& className, const QString& name)
{
    for (int c = 0; c < model.rowCount(); ++c) {
        const QModelIndex classIndex = model.index(c, 0);
        if (classIndex.data().toString() != className)
            continue;
        for (int r = 0; r < model.rowCount(classIndex); ++r) {
            const QModelIndex index = model.index(r, 0, classIndex);
            if (index.data().toString() == name)
                return index;
        }
    }
    return QModelIndex();
}

Property* rowAt(const QModelIndex& index)
{
    return static_cast<Property*>(index.internalPointer());
}

QStringList asked;

Property* spanRows(const QString& name, QObject* object, Property* parent)
{
    asked << name;
    if (object->property(name.toLatin1().constData()).userType() != qMetaTypeId<Span>())
        return nullptr;
    return new SpanProperty(name, object, parent);
}

Property* noRows(const QString& name, QObject*, Property*)
{
    asked << QStringLiteral("none:") + name;
    return nullptr;
}

// Counts the model's structural signals.
struct ChangeSpy
{
    explicit ChangeSpy(QAbstractItemModel* model)
        : data(model, &QAbstractItemModel::dataChanged)
        , inserted(model, &QAbstractItemModel::rowsInserted)
        , removed(model, &QAbstractItemModel::rowsRemoved)
    {
    }
    int total() const { return int(data.count() + inserted.count() + removed.count()); }

    QSignalSpy data;
    QSignalSpy inserted;
    QSignalSpy removed;
};

// The rows inside the ranges of the spied dataChanged signals.
QSet<Property*> changedRows(const QSignalSpy& spy)
{
    QSet<Property*> rows;
    for (const QList<QVariant>& signal : spy) {
        const QModelIndex from = signal.at(0).value<QModelIndex>();
        const QModelIndex to = signal.at(1).value<QModelIndex>();
        for (int r = from.row(); r <= to.row(); ++r)
            rows << rowAt(from.sibling(r, 0));
    }
    return rows;
}

} // namespace

class TestPropertyModel : public QObject
{
    Q_OBJECT

private slots:
    void init() { asked.clear(); }

    void rowsByDeclaringClass();
    void displayedValues();
    void dynamicRowsReconciled();
    void updateAnnouncesEveryRow();
    void updateOfObjectNotShown();
    void setDataAndFlags();
    void objectsAppendedAndCleared();
    void classInformation();
    void customCallbacks();
    void callbackThatMakesNoRow();
};

void TestPropertyModel::rowsByDeclaringClass()
{
    QPropertyModel model;
    SampleItem item;
    item.setProperty("uid", -1);
    item.setProperty("_hidden", 1);
    item.setProperty("tag", QStringLiteral("crate"));
    model.addItem(&item);

    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.headerData(0, Qt::Horizontal), QVariant(QStringLiteral("Name")));
    QCOMPARE(model.headerData(1, Qt::Horizontal), QVariant(QStringLiteral("Value")));
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());

    // Base classes first; a class without user properties gets no row.
    QCOMPARE(childNames(model), QStringList({"SampleBase", "SampleItem"}));
    const QModelIndex base = model.index(0, 0);
    const QModelIndex derived = model.index(1, 0);
    QCOMPARE(childNames(model, base), QStringList({"count", "key", "ratio"}));
    QCOMPARE(childNames(model, derived),
             QStringList({"position", "tint", "Layer 1", "weight", "shade", "uid", "tag"}));

    for (const QModelIndex& classIndex : {base, derived}) {
        QCOMPARE(model.flags(classIndex), Qt::ItemIsEnabled);
        QCOMPARE(model.flags(classIndex.siblingAtColumn(1)), Qt::ItemIsEnabled);
        QVERIFY(rowAt(classIndex)->isRoot());
        QVERIFY(classIndex.data(Qt::BackgroundRole).value<QColor>().isValid());
        QVERIFY(!model.parent(classIndex).isValid());
    }

    QVERIFY(qobject_cast<PointProperty*>(rowAt(model.index(0, 0, derived))));
    QVERIFY(qobject_cast<EnumProperty*>(rowAt(model.index(4, 0, derived))));
    QCOMPARE(model.rowCount(model.index(0, 0, derived)), 2);
    for (int r = 0; r < model.rowCount(derived); ++r) {
        const QModelIndex index = model.index(r, 0, derived);
        QCOMPARE(model.parent(index), derived);
        QCOMPARE(rowAt(index)->property("__Dynamic").toBool(), r >= 5);
        QVERIFY(!index.data(Qt::BackgroundRole).isValid());
    }
    QVERIFY(!model.index(7, 0, derived).isValid());
    QVERIFY(!model.index(-1, 0).isValid());
    QCOMPARE(model.buddy(model.index(1, 0, base)), model.index(1, 1, base));
    QCOMPARE(model.buddy(model.index(1, 1, base)), model.index(1, 1, base));

    // An object without user properties shows nothing, not even its dynamic ones.
    QObject bare;
    bare.setProperty("uid", 4);
    model.addItem(&bare);
    model.addItem(nullptr);
    QCOMPARE(model.rowCount(), 2);
}

void TestPropertyModel::displayedValues()
{
    QPropertyModel model;
    SampleItem item;
    item.setProperty("label", QStringLiteral("blue"));
    model.addItem(&item);

    auto value = [&](const QString& className, const QString& name, int role) {
        return find(model, className, name).siblingAtColumn(1).data(role);
    };
    QCOMPARE(find(model, "SampleItem", "Layer 1").data(Qt::EditRole), QVariant(QStringLiteral("Layer 1")));
    QCOMPARE(value("SampleItem", "Layer 1", Qt::DisplayRole), QVariant(QStringLiteral("TRUE")));
    item.setLayer1(false);
    QCOMPARE(value("SampleItem", "Layer 1", Qt::DisplayRole), QVariant(false));
    QCOMPARE(value("SampleItem", "Layer 1", Qt::EditRole), QVariant(false));
    QCOMPARE(value("SampleItem", "position", Qt::DisplayRole), QVariant(QStringLiteral("[ 1.5, -2]")));
    QCOMPARE(value("SampleItem", "position", Qt::EditRole), QVariant(QStringLiteral("1.5, -2")));
    QCOMPARE(value("SampleItem", "shade", Qt::DisplayRole), QVariant(QStringLiteral("Dark")));
    QCOMPARE(value("SampleBase", "count", Qt::ToolTipRole), QVariant(3));
    QVERIFY(!value("SampleBase", "count", Qt::DecorationRole).isValid());

    // A colour value, or a text naming one, is drawn in that colour.
    QCOMPARE(value("SampleItem", "tint", Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(value("SampleItem", "label", Qt::ForegroundRole).value<QColor>(), QColor(Qt::blue));
    QVERIFY(!value("SampleBase", "count", Qt::ForegroundRole).value<QColor>().isValid());
    QVERIFY(!find(model, "SampleItem", "tint").data(Qt::ForegroundRole).isValid());

    // Nothing is cached: the model reads the object's current value.
    item.setCount(42);
    QCOMPARE(value("SampleBase", "count", Qt::DisplayRole), QVariant(42));
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
}

void TestPropertyModel::dynamicRowsReconciled()
{
    QPropertyModel model;
    SampleItem item;
    item.setProperty("uid", -1);
    item.setProperty("tag", QStringLiteral("crate"));
    item.setProperty("note", 1);
    model.addItem(&item);
    const QModelIndex derived = model.index(1, 0);
    const QStringList declared = {"position", "tint", "Layer 1", "weight", "shade"};

    ChangeSpy spy(&model);
    for (int i = 0; i < 3; ++i)
        model.updateItem(&item);
    QCOMPARE(childNames(model, derived), declared + QStringList({"uid", "tag", "note"}));
    QCOMPARE(spy.inserted.count(), 0);
    QCOMPARE(spy.removed.count(), 0);

    // Two lost in one pass, one gained, one hidden.
    item.setProperty("uid", QVariant());
    item.setProperty("note", QVariant());
    item.setProperty("speed", 2.5);
    item.setProperty("_private", 1);
    model.updateItem(&item);
    model.updateItem(&item);
    QCOMPARE(childNames(model, derived), declared + QStringList({"tag", "speed"}));
    QCOMPARE(spy.removed.count(), 2);
    // Each removal is announced at the row's place after the earlier removals.
    QCOMPARE(spy.removed.at(0).at(1).toInt(), 5);
    QCOMPARE(spy.removed.at(1).at(1).toInt(), 6);
    QCOMPARE(spy.removed.at(1).at(0).value<QModelIndex>(), derived);
    QCOMPARE(spy.inserted.count(), 1);
    QCOMPARE(spy.inserted.first().at(1).toInt(), 6);
    const QModelIndex speed = model.index(6, 1, derived);
    QCOMPARE(speed.data(), QVariant(2.5));
    QVERIFY(rowAt(speed)->property("__Dynamic").toBool());
    QCOMPARE(childNames(model, model.index(0, 0)), QStringList({"count", "key", "ratio"}));

    // Starting below the root finds the object's row in that subtree.
    spy.data.clear();
    model.updateItem(&item, derived);
    const QSet<Property*> covered = changedRows(spy.data);
    QVERIFY(covered.contains(rowAt(speed)));
    QVERIFY(!covered.contains(rowAt(model.index(0, 0, model.index(0, 0)))));
}

void TestPropertyModel::updateAnnouncesEveryRow()
{
    QPropertyModel model;
    SampleItem item;
    item.setProperty("tag", QStringLiteral("crate"));
    SampleItem other;
    model.addItem(&item);
    model.addItem(&other);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.updateItem(&item);
    // A drag changes the position, the last rows may be the ones in view: every
    // row of the object, both columns, sub-rows included, and no other object's.
    const QSet<Property*> covered = changedRows(changed);
    QSet<Property*> expected;
    for (int c = 0; c < 2; ++c) {
        const QModelIndex classIndex = model.index(c, 0);
        for (int r = 0; r < model.rowCount(classIndex); ++r)
            expected << rowAt(model.index(r, 0, classIndex));
    }
    const QModelIndex position = find(model, QStringLiteral("SampleItem"), QStringLiteral("position"));
    expected << rowAt(model.index(0, 0, position)) << rowAt(model.index(1, 0, position));
    QCOMPARE(expected.size(), 3 + 6 + 2);
    QCOMPARE(covered, expected);
    for (const QList<QVariant>& signal : changed) {
        QCOMPARE(signal.at(0).value<QModelIndex>().column(), 0);
        QCOMPARE(signal.at(1).value<QModelIndex>().column(), 1);
    }
}

void TestPropertyModel::updateOfObjectNotShown()
{
    QPropertyModel model;
    SampleItem shown;
    SampleItem other;
    other.setProperty("uid", 3);
    model.addItem(&shown);
    ChangeSpy spy(&model);
    model.updateItem(&other);
    model.updateItem(nullptr);
    QCOMPARE(spy.total(), 0);
    QCOMPARE(model.rowCount(model.index(1, 0)), 5);
}

void TestPropertyModel::setDataAndFlags()
{
    QPropertyModel model;
    SampleItem item;
    item.setProperty("uid", -1);
    model.addItem(&item);
    const QModelIndex count = find(model, "SampleBase", "count").siblingAtColumn(1);

    ChangeSpy spy(&model);
    QVERIFY(!model.setData(count, 9, Qt::DisplayRole));
    QCOMPARE(item.count(), 3);
    QCOMPARE(spy.total(), 0);
    QVERIFY(model.setData(count, 9, Qt::EditRole));
    QCOMPARE(item.count(), 9);
    QCOMPARE(spy.data.count(), 1);
    QCOMPARE(spy.data.first().at(0).value<QModelIndex>(), count);
    // The views ignore the answer, so a refused value still answers true.
    QVERIFY(model.setData(count, QStringLiteral("nine"), Qt::EditRole));
    QCOMPARE(item.count(), 9);
    QVERIFY(!model.setData(QModelIndex(), 1, Qt::EditRole));

    const Qt::ItemFlags editable =
        Qt::ItemIsDragEnabled | Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    QCOMPARE(model.flags(count), editable);
    QCOMPARE(model.flags(count.siblingAtColumn(0)), editable);
    const QModelIndex key = find(model, "SampleBase", "key");
    QCOMPARE(model.flags(key), Qt::ItemIsDragEnabled | Qt::ItemIsSelectable);
    const QModelIndex uid = find(model, "SampleItem", "uid").siblingAtColumn(1);
    QCOMPARE(model.flags(uid), editable);
    QVERIFY(model.setData(uid, 12));
    QCOMPARE(item.property("uid"), QVariant(12));
    QCOMPARE(model.flags(QModelIndex()), Qt::ItemIsEnabled);

    // The point row parses its edit text; its x row writes the whole point.
    const QModelIndex position = find(model, "SampleItem", "position").siblingAtColumn(1);
    QVERIFY(model.setData(position, QStringLiteral("3 4")));
    QCOMPARE(item.position(), QPointF(3, 4));
    const QModelIndex x = model.index(0, 1, position.siblingAtColumn(0));
    QCOMPARE(x.data(Qt::EditRole).toFloat(), 3.0f);
    QVERIFY(model.setData(x, 7.5f));
    QCOMPARE(item.position(), QPointF(7.5, 4));
    QCOMPARE(model.parent(x), position.siblingAtColumn(0));

    // The enumeration row takes the key name.
    QVERIFY(model.setData(find(model, "SampleItem", "shade").siblingAtColumn(1), QStringLiteral("Dusk")));
    QCOMPARE(item.shade(), SampleItem::Dusk);
}

void TestPropertyModel::objectsAppendedAndCleared()
{
    QPropertyModel model;
    model.clear();
    QCOMPARE(model.rowCount(), 0);

    SampleItem first;
    SampleBase second;
    model.addItem(&first);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addItem(&second);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 2);
    QCOMPARE(inserted.first().at(2).toInt(), 2);
    QCOMPARE(childNames(model), QStringList({"SampleBase", "SampleItem", "SampleBase"}));
    QCOMPARE(rowAt(model.index(0, 0, model.index(2, 0)))->propertyObject(), &second);

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.clear();
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(2).toInt(), 2);
    QCOMPARE(model.rowCount(), 0);
    model.clear();
    QCOMPARE(removed.count(), 1);

    // The model works on after clearing.
    model.addItem(&second);
    QCOMPARE(childNames(model), QStringList({"SampleBase"}));
}

void TestPropertyModel::classInformation()
{
    QPropertyModel model;
    LabelledSample sample;
    model.addItem(&sample);
    QCOMPARE(childNames(model), QStringList({"Labelled sample"}));
    QCOMPARE(rowAt(model.index(0, 0, model.index(0, 0)))->editorHints(), QStringLiteral("minimum=5;maximum=9;"));
}

void TestPropertyModel::customCallbacks()
{
    QPropertyModel model;
    model.registerCustomPropertyCB(spanRows);
    model.registerCustomPropertyCB(spanRows);
    SpanHolder holder;
    holder.setProperty("extent", QVariant::fromValue(Span{1, 2}));
    holder.setProperty("uid", 5);
    model.addItem(&holder);

    // Only true custom types are offered: enumerations and floats are not; a
    // callback registered twice is asked once.
    QCOMPARE(asked, QStringList({"span", "extent"}));
    QVERIFY(qobject_cast<SpanProperty*>(rowAt(find(model, "SpanHolder", "span"))));
    const QModelIndex extent = find(model, "SpanHolder", "extent");
    QVERIFY(qobject_cast<SpanProperty*>(rowAt(extent)));
    QVERIFY(rowAt(extent)->property("__Dynamic").toBool());
    QCOMPARE(model.rowCount(extent.parent()), 3);

    model.unregisterCustomPropertyCB(spanRows);
    model.unregisterCustomPropertyCB(spanRows);
    model.clear();
    asked.clear();
    model.addItem(&holder);
    QVERIFY(asked.isEmpty());
    const QModelIndex plain = find(model, "SpanHolder", "span");
    QVERIFY(plain.isValid());
    QVERIFY(!qobject_cast<SpanProperty*>(rowAt(plain)));
}

void TestPropertyModel::callbackThatMakesNoRow()
{
    QPropertyModel model;
    model.registerCustomPropertyCB(noRows);
    model.registerCustomPropertyCB(spanRows);
    SpanHolder holder;
    model.addItem(&holder);
    QCOMPARE(asked, QStringList({"none:span", "span"}));
    QVERIFY(qobject_cast<SpanProperty*>(rowAt(find(model, "SpanHolder", "span"))));

    // With no callback answering, the announced row still appears, as a plain row.
    model.unregisterCustomPropertyCB(spanRows);
    holder.setProperty("extent", QVariant::fromValue(Span{1, 2}));
    const QModelIndex classIndex = find(model, "SpanHolder", "span").parent();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.updateItem(&holder);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(childNames(model, classIndex), QStringList({"span", "extent"}));
    QCOMPARE(model.index(1, 1, classIndex).data().value<Span>(), (Span{1, 2}));
}

QTEST_MAIN(TestPropertyModel)
#include "tst_propertymodel.moc"
