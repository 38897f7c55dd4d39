#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "ColorCombo.h"
#include "EnumProperty.h"
#include "PointProperty.h"
#include "Property.h"

#include "SampleObjects.h"

namespace {

// Answers the next modal dialog once it is up.
void whenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else
            whenModal(answer);
    });
}

// Colour dialog answers for choosing "Custom": an invalid colour cancels.
void answerColorDialog(const QColor& pick)
{
    whenModal([pick](QWidget* modal) {
        auto* dialog = qobject_cast<QColorDialog*>(modal);
        QVERIFY(dialog);
        if (pick.isValid()) {
            dialog->setCurrentColor(pick);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

int customIndex(const ColorCombo& combo)
{
    return combo.findData(ColorCombo::customData);
}

} // namespace

class TestPropertyRows : public QObject
{
    Q_OBJECT

private slots:
    void valueAndReadOnly();
    void unboundRowIsInertAndTreeSearch();
    void editors_data();
    void editors();
    void spinBoxStepsWriteButLoadingDoesNot();
    void wrongEditorKind();

    void colorComboEntries();
    void colorComboSetColor();
    void colorComboCustom_data();
    void colorComboCustom();

    void enumRow();
    void enumRowWithoutObject();

    void pointTexts_data();
    void pointTexts();
    void pointParsing_data();
    void pointParsing();
    void pointChildRows();
    void parseHints_data();
    void parseHints();
};

void TestPropertyRows::valueAndReadOnly()
{
    SampleItem item;
    item.setProperty("uid", -1);
    QObject parent;

    Property count(QStringLiteral("count"), &item, &parent);
    QCOMPARE(count.value(Qt::DisplayRole), QVariant(3));
    QCOMPARE(count.value(Qt::UserRole), QVariant(3));
    count.setValue(QVariant(11));
    QCOMPARE(item.count(), 11);
    // A value that does not convert is ignored.
    count.setValue(QVariant(QStringLiteral("eleven")));
    QCOMPARE(item.count(), 11);
    QVERIFY(!count.isReadOnly());
    QCOMPARE(count.parent(), &parent);
    QVERIFY(!count.isRoot());

    QVERIFY(Property(QStringLiteral("key"), &item).isReadOnly());
    QVERIFY(!Property(QStringLiteral("uid"), &item).isReadOnly());
    QVERIFY(Property(QStringLiteral("undeclared"), &item).isReadOnly());

    // Writing a name the class does not declare makes it a dynamic property.
    Property fresh(QStringLiteral("fresh"), &item);
    fresh.setValue(QVariant(QStringLiteral("new")));
    QCOMPARE(item.property("fresh"), QVariant(QStringLiteral("new")));
    QVERIFY(!fresh.isReadOnly());
}

void TestPropertyRows::unboundRowIsInertAndTreeSearch()
{
    SampleItem item;
    SampleItem other;
    Property root(QStringLiteral("Root"));
    QVERIFY(root.isRoot());
    QVERIFY(root.isReadOnly());
    QVERIFY(!root.value(Qt::DisplayRole).isValid());
    root.setValue(QVariant(4));
    QStyleOptionViewItem option;
    QWidget parent;
    QVERIFY(!root.createEditor(&parent, option));
    QVERIFY(!root.editorData(nullptr).isValid());
    QVERIFY(!root.setEditorData(nullptr, QVariant(1)));

    auto* classRow = new Property(QStringLiteral("SampleBase"), nullptr, &root);
    auto* first = new Property(QStringLiteral("count"), &item, classRow);
    auto* point = new PointProperty(QStringLiteral("position"), &other, classRow);
    QCOMPARE(first->row(), 0);
    QCOMPARE(point->row(), 1);
    QCOMPARE(root.findPropertyObject(&item), first);
    QCOMPARE(root.findPropertyObject(&other), point);
    // The point's own x and y rows are bound to the point row.
    QCOMPARE(root.findPropertyObject(point), point->findChild<Property*>(QStringLiteral("x")));
    QVERIFY(!root.findPropertyObject(&root));
    QVERIFY(!root.findPropertyObject(nullptr));
}

void TestPropertyRows::editors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("editorClass");
    QTest::addColumn<int>("decimals");

    QTest::newRow("int") << "count" << "QSpinBox" << -1;
    QTest::newRow("double") << "ratio" << "QDoubleSpinBox" << 30;
    QTest::newRow("float") << "weight" << "QDoubleSpinBox" << 30;
    QTest::newRow("colour") << "tint" << "ColorCombo" << -1;
    QTest::newRow("bool gets the stock editor") << "Layer_1" << "" << -1;
    QTest::newRow("point gets the stock editor") << "position" << "" << -1;
}

void TestPropertyRows::editors()
{
    QFETCH(QString, name);
    QFETCH(QString, editorClass);
    QFETCH(int, decimals);

    SampleItem item;
    Property row(name, &item);
    QWidget parent;
    QWidget* editor = row.createEditor(&parent, QStyleOptionViewItem());
    if (editorClass.isEmpty()) {
        QVERIFY(!editor);
        return;
    }
    QVERIFY(editor);
    QCOMPARE(editor->parent(), &parent);
    QCOMPARE(QString::fromLatin1(editor->metaObject()->className()), editorClass);
    if (editorClass.endsWith(QLatin1String("SpinBox"))) {
        QCOMPARE(editor->property("minimum").toDouble(), -2147483647.0);
        QCOMPARE(editor->property("maximum").toDouble(), 2147483647.0);
    }
    if (decimals >= 0)
        QCOMPARE(editor->property("decimals").toInt(), decimals);
    QCOMPARE(item.writes, 0);
}

void TestPropertyRows::spinBoxStepsWriteButLoadingDoesNot()
{
    SampleItem item;
    QWidget parent;

    Property count(QStringLiteral("count"), &item);
    auto* spin = qobject_cast<QSpinBox*>(count.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(spin);
    QVERIFY(count.setEditorData(spin, QVariant(7)));
    QCOMPARE(spin->value(), 7);
    QCOMPARE(item.writes, 0);
    spin->stepUp();
    QCOMPARE(item.count(), 8);
    QCOMPARE(count.editorData(spin), QVariant(8));

    Property weight(QStringLiteral("weight"), &item);
    auto* doubleSpin = qobject_cast<QDoubleSpinBox*>(weight.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(doubleSpin);
    item.writes = 0;
    QVERIFY(weight.setEditorData(doubleSpin, QVariant(0.25)));
    QCOMPARE(doubleSpin->value(), 0.25);
    QCOMPARE(item.writes, 0);
    doubleSpin->setValue(-4.5);
    QCOMPARE(item.weight(), -4.5f);
    QCOMPARE(weight.editorData(doubleSpin), QVariant(-4.5));

    Property tint(QStringLiteral("tint"), &item);
    auto* combo = qobject_cast<ColorCombo*>(tint.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(combo);
    item.writes = 0;
    QVERIFY(tint.setEditorData(combo, QVariant(QColor(Qt::blue))));
    QCOMPARE(tint.editorData(combo), QVariant(QColor(Qt::blue)));
    // A colour reaches the object only when the delegate commits it.
    combo->setCurrentIndex(combo->findText(QStringLiteral("green")));
    QCOMPARE(item.writes, 0);
    QCOMPARE(item.tint(), QColor(Qt::red));
}

void TestPropertyRows::wrongEditorKind()
{
    SampleItem item;
    QLineEdit line;
    QSpinBox spin;
    for (const char* name : {"count", "ratio", "weight", "tint"}) {
        Property row(QString::fromLatin1(name), &item);
        QWidget* wrong = row.value().typeId() == QMetaType::Int ? static_cast<QWidget*>(&line) : &spin;
        QVERIFY2(!row.setEditorData(wrong, QVariant(1)), name);
        QVERIFY2(!row.editorData(wrong).isValid(), name);
        QVERIFY2(!row.setEditorData(nullptr, QVariant(1)), name);
        QVERIFY2(!row.editorData(nullptr).isValid(), name);
    }
    QCOMPARE(item.writes, 0);
}

void TestPropertyRows::colorComboEntries()
{
    ColorCombo combo;
    const QStringList names = QColor::colorNames();
    QCOMPARE(combo.count(), names.size() + 1);
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(combo.itemText(i), names.at(i));
        QCOMPARE(combo.itemData(i, Qt::DecorationRole).value<QColor>(), QColor(names.at(i)));
        QVERIFY(!combo.itemData(i, Qt::UserRole).isValid());
    }
    QCOMPARE(combo.itemText(names.size()), QStringLiteral("Custom"));
    QCOMPARE(combo.itemData(names.size(), Qt::UserRole), QVariant(127));
    // Nothing is chosen before a colour is set.
    QCOMPARE(combo.currentIndex(), -1);
    QVERIFY(!combo.color().isValid());
}

void TestPropertyRows::colorComboSetColor()
{
    const QColor unnamed(1, 2, 3);
    const int named = QColor::colorNames().size() + 1;

    // A fresh combo must not keep its first named colour for an unnamed one.
    ColorCombo fresh;
    fresh.setColor(unnamed);
    QCOMPARE(fresh.count(), named + 1);
    QCOMPARE(fresh.currentIndex(), named);
    QCOMPARE(fresh.currentText(), QStringLiteral("#010203"));
    QCOMPARE(fresh.color(), unnamed);

    ColorCombo combo;
    combo.setColor(QColor(Qt::red));
    QCOMPARE(combo.count(), named);
    QCOMPARE(combo.color(), QColor(Qt::red));
    QVERIFY(!combo.currentText().isEmpty());
    QCOMPARE(QColor(combo.currentText()), QColor(Qt::red));

    combo.setColor(unnamed);
    QCOMPARE(combo.count(), named + 1);
    QCOMPARE(combo.color(), unnamed);
    combo.setColor(QColor(Qt::red));
    combo.setColor(unnamed);
    QCOMPARE(combo.count(), named + 1);
    QCOMPARE(combo.currentIndex(), named);

    // No colour selects nothing and adds nothing.
    combo.setColor(QColor());
    QCOMPARE(combo.currentIndex(), -1);
    QCOMPARE(combo.count(), named + 1);
}

void TestPropertyRows::colorComboCustom_data()
{
    QTest::addColumn<QColor>("lastSet");
    QTest::addColumn<QColor>("pick");
    QTest::addColumn<QColor>("result");
    QTest::addColumn<int>("appended");

    const QColor unnamed(10, 20, 30);
    QTest::newRow("picked named colour") << QColor(Qt::red) << QColor(Qt::blue) << QColor(Qt::blue) << 0;
    QTest::newRow("picked unnamed colour") << QColor(Qt::red) << unnamed << unnamed << 1;
    QTest::newRow("cancel reselects last set") << QColor(Qt::yellow) << QColor() << QColor(Qt::yellow) << 0;
    QTest::newRow("cancel before any colour") << QColor() << QColor() << QColor() << 0;
}

void TestPropertyRows::colorComboCustom()
{
    QFETCH(QColor, lastSet);
    QFETCH(QColor, pick);
    QFETCH(QColor, result);
    QFETCH(int, appended);

    ColorCombo combo;
    if (lastSet.isValid())
        combo.setColor(lastSet);
    const int before = combo.count();
    answerColorDialog(pick);
    combo.setCurrentIndex(customIndex(combo));
    QCOMPARE(combo.count(), before + appended);
    QCOMPARE(combo.color(), result);
    if (!result.isValid())
        QCOMPARE(combo.currentIndex(), -1);
}

void TestPropertyRows::enumRow()
{
    SampleItem item;
    EnumProperty shade(QStringLiteral("shade"), &item);
    QCOMPARE(shade.keys(), QStringList({"Light", "Dark", "Dusk"}));
    QCOMPARE(shade.value(Qt::DisplayRole), QVariant(QStringLiteral("Dark")));
    QCOMPARE(shade.value(Qt::UserRole).toInt(), int(SampleItem::Dark));

    QWidget parent;
    auto* combo = qobject_cast<QComboBox*>(shade.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(combo);
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(2), QStringLiteral("Dusk"));
    QVERIFY(shade.setEditorData(combo, shade.value(Qt::EditRole)));
    QCOMPARE(combo->currentText(), QStringLiteral("Dark"));
    QCOMPARE(item.writes, 0);

    // Choosing a key writes its value at once.
    combo->setCurrentIndex(2);
    QCOMPARE(item.shade(), SampleItem::Dusk);
    QCOMPARE(shade.editorData(combo), QVariant(QStringLiteral("Dusk")));
    QCOMPARE(shade.value(Qt::DisplayRole), QVariant(QStringLiteral("Dusk")));

    // A value without a key is left to the stock editor.
    QVERIFY(!shade.setEditorData(combo, QVariant(2)));
    QLineEdit line;
    QVERIFY(!shade.setEditorData(&line, QVariant(1)));
    QVERIFY(!shade.editorData(&line).isValid());

    // A plain property has no keys, and an unloaded combo gives nothing to write.
    EnumProperty notEnum(QStringLiteral("count"), &item);
    QVERIFY(notEnum.keys().isEmpty());
    auto* empty = qobject_cast<QComboBox*>(notEnum.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(!notEnum.editorData(empty).isValid());
}

void TestPropertyRows::enumRowWithoutObject()
{
    EnumProperty shade(QStringLiteral("shade"), nullptr);
    QVERIFY(shade.keys().isEmpty());
    QVERIFY(!shade.value(Qt::DisplayRole).isValid());
    QVERIFY(!shade.value(Qt::EditRole).isValid());
    QWidget parent;
    auto* combo = qobject_cast<QComboBox*>(shade.createEditor(&parent, QStyleOptionViewItem()));
    QVERIFY(!shade.setEditorData(combo, QVariant(1)));
}

void TestPropertyRows::pointTexts_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("edit");

    QTest::newRow("fractions") << QPointF(1.5, -2) << "[ 1.5, -2]" << "1.5, -2";
    QTest::newRow("six digits") << QPointF(1234567, 0.1) << "[ 1.23457e+06, 0.1]" << "1.23457e+06, 0.1";
    QTest::newRow("origin") << QPointF(0, 0) << "[ 0, 0]" << "0, 0";
}

void TestPropertyRows::pointTexts()
{
    QFETCH(QPointF, point);
    QFETCH(QString, display);
    QFETCH(QString, edit);

    SampleItem item;
    item.setPosition(point);
    PointProperty row(QStringLiteral("position"), &item);
    QCOMPARE(row.value(Qt::DisplayRole), QVariant(display));
    QCOMPARE(row.value(Qt::EditRole), QVariant(edit));
    QCOMPARE(row.value(Qt::UserRole), QVariant(point));
    QCOMPARE(row.value(Qt::ToolTipRole), QVariant(point));
}

void TestPropertyRows::pointParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPointF>("point");

    QTest::newRow("blank") << "3 4" << QPointF(3, 4);
    QTest::newRow("brackets and semicolon") << "(3; 4)" << QPointF(3, 4);
    QTest::newRow("one number") << "7" << QPointF(7, 0);
    QTest::newRow("third number ignored") << "1, 2, 3" << QPointF(1, 2);
    QTest::newRow("exponents either case") << "1e3, -2E-1" << QPointF(1000, double(-0.2f));
    QTest::newRow("comma between digits") << "10,20" << QPointF(0, 0);
    QTest::newRow("no numbers") << "left" << QPointF(0, 0);
    QTest::newRow("edit text round trip") << "1.5, -2" << QPointF(1.5, -2);
    QTest::newRow("signs and bare fractions") << "+.5 -.25" << QPointF(0.5, -0.25);
}

void TestPropertyRows::pointParsing()
{
    QFETCH(QString, text);
    QFETCH(QPointF, point);

    SampleItem item;
    item.setPosition(QPointF(9, 9));
    PointProperty row(QStringLiteral("position"), &item);
    row.setValue(QVariant(text));
    QCOMPARE(item.position(), point);

    row.setValue(QVariant(QPointF(5, 6)));
    QCOMPARE(item.position(), QPointF(5, 6));
}

void TestPropertyRows::pointChildRows()
{
    SampleItem item;
    PointProperty row(QStringLiteral("position"), &item);
    const QList<Property*> children = row.findChildren<Property*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(children.size(), 2);
    Property* x = children.at(0);
    Property* y = children.at(1);
    QCOMPARE(x->objectName(), QStringLiteral("x"));
    QCOMPARE(y->objectName(), QStringLiteral("y"));
    QCOMPARE(x->propertyObject(), &row);
    QVERIFY(row.editorHints().isEmpty());
    QCOMPARE(x->editorHints(), QStringLiteral("minimum=-2147483647;maximum=2147483647;"));
    QCOMPARE(y->editorHints(), QStringLiteral("minimum=-2147483647;maximum=2147483647;"));

    // The components are floats, so they get number editors.
    QCOMPARE(x->value().typeId(), int(QMetaType::Float));
    QCOMPARE(x->value().toFloat(), 1.5f);
    QWidget parent;
    QVERIFY(qobject_cast<QDoubleSpinBox*>(y->createEditor(&parent, QStyleOptionViewItem())));

    y->setValue(QVariant(8.0));
    QCOMPARE(item.position(), QPointF(1.5, 8));
    x->setValue(QVariant(-1.0));
    QCOMPARE(item.position(), QPointF(-1, 8));

    row.setEditorHints(QStringLiteral("minimumX=1;maximumX=9;"));
    QCOMPARE(x->editorHints(), QStringLiteral("minimum=1;maximum=9;"));
    QVERIFY(y->editorHints().isEmpty());

    // Without an object the point reads as nothing and writes go nowhere.
    PointProperty unbound(QStringLiteral("position"), nullptr);
    QVERIFY(!unbound.value(Qt::DisplayRole).isValid());
    QCOMPARE(unbound.x(), 0.0f);
    unbound.setX(3);
    unbound.setValue(QVariant(QStringLiteral("1 2")));
}

void TestPropertyRows::parseHints_data()
{
    QTest::addColumn<QString>("hints");
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("result");

    const QString both = "minimumX=-2147483647;maximumX=2147483647;minimumY=-3;maximumY= 4;";
    QTest::newRow("X of both") << both << "X" << "minimum=-2147483647;maximum=2147483647;";
    QTest::newRow("Y of both") << both << "Y" << "minimum=-3;maximum= 4;";
    QTest::newRow("only X hints, Y asked") << "minimumX=1;maximumX=9;" << "Y" << "";
    QTest::newRow("empty") << "" << "X" << "";
}

void TestPropertyRows::parseHints()
{
    QFETCH(QString, hints);
    QFETCH(QString, component);
    QFETCH(QString, result);
    QCOMPARE(PointProperty::parseHints(hints, component.at(0)), result);
}

QTEST_MAIN(TestPropertyRows)
#include "tst_propertyrows.moc"
