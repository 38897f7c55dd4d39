#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QtTest>

#include <memory>

#include "ColorCombo.h"
#include "QPropertyEditorWidget.h"
#include "QPropertyModel.h"
#include "QVariantDelegate.h"

#include "SampleObjects.h"

namespace {

// The index of a row by its path of displayed names, column 1 (the value).
QModelIndex valueIndex(const QAbstractItemModel* model, const QString& path)
{
    QModelIndex parent;
    QModelIndex found;
    for (const QString& name : path.split(QLatin1Char('/'))) {
        found = QModelIndex();
        for (int r = 0; r < model->rowCount(parent); ++r) {
            const QModelIndex index = model->index(r, 0, parent);
            if (index.data().toString() == name) {
                found = index;
                break;
            }
        }
        if (!found.isValid())
            return QModelIndex();
        parent = found;
    }
    return found.siblingAtColumn(1);
}

QWidget* openEditor(QPropertyEditorWidget& panel, const QString& path)
{
    const QModelIndex index = valueIndex(panel.model(), path);
    if (!index.isValid())
        return nullptr;
    panel.setCurrentIndex(index);
    panel.edit(index);
    return panel.indexWidget(index);
}

// The delegate commits on Return through a queued call.
void pressReturn(QWidget* editor)
{
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
}

Property* spanRows(const QString& name, QObject* object, Property* parent)
{
    if (object->property(name.toLatin1().constData()).userType() != qMetaTypeId<Span>())
        return nullptr;
    return new SpanProperty(name, object, parent);
}

} // namespace

class TestPropertyEditorWidget : public QObject
{
    Q_OBJECT

private slots:
    void showsObjects();
    void updateObject();
    void destroyedObjectIsDropped();
    void numberEditors_data();
    void numberEditors();
    void colourWrittenOnCommit();
    void pointEditedAsText();
    void boolAndEnumEditors();
    void editFinishedCommitsAndCloses();
    void hintsAppliedWithoutWriting();
};

void TestPropertyEditorWidget::showsObjects()
{
    QPropertyEditorWidget panel;
    QVERIFY(qobject_cast<QPropertyModel*>(panel.model()));
    QVERIFY(qobject_cast<QVariantDelegate*>(panel.itemDelegate()));
    QVERIFY(panel.objects().isEmpty());

    SampleItem first;
    SampleBase second;
    panel.setObject(&first);
    QCOMPARE(panel.objects(), QList<QObject*>({&first}));
    QCOMPARE(panel.model()->rowCount(), 2);
    // Class rows open, the x and y rows of points stay folded.
    QVERIFY(panel.isExpanded(panel.model()->index(1, 0)));
    QVERIFY(!panel.isExpanded(valueIndex(panel.model(), "SampleItem/position").siblingAtColumn(0)));

    panel.addObject(&second);
    QCOMPARE(panel.objects(), QList<QObject*>({&first, &second}));
    QCOMPARE(panel.model()->rowCount(), 3);

    panel.setObject(&second);
    QCOMPARE(panel.objects(), QList<QObject*>({&second}));
    QCOMPARE(panel.model()->rowCount(), 1);
    panel.setObject(nullptr);
    QVERIFY(panel.objects().isEmpty());
    QCOMPARE(panel.model()->rowCount(), 0);
    panel.addObject(nullptr);
    QVERIFY(panel.objects().isEmpty());
}

void TestPropertyEditorWidget::updateObject()
{
    QPropertyEditorWidget panel;
    SampleItem shown;
    SampleItem other;
    panel.setObject(&shown);
    QAbstractItemModel* model = panel.model();
    QSignalSpy data(model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);

    other.setProperty("uid", 1);
    panel.updateObject(&other);
    panel.updateObject(nullptr);
    QCOMPARE(data.count() + inserted.count(), 0);

    shown.setCount(8);
    shown.setProperty("uid", 2);
    panel.updateObject(&shown);
    panel.updateObject(&shown);
    // Each update announces the rows of both classes and the point's sub-rows.
    QCOMPARE(data.count(), 2 * 3);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(valueIndex(model, "SampleBase/count").data(), QVariant(8));
    QCOMPARE(valueIndex(model, "SampleItem/uid").data(), QVariant(2));
    QCOMPARE(model->rowCount(model->index(1, 0)), 6);
}

void TestPropertyEditorWidget::destroyedObjectIsDropped()
{
    QPropertyEditorWidget panel;
    panel.resize(300, 600);
    panel.show();
    auto* doomed = new SampleItem;
    SampleBase kept;
    panel.setObject(doomed);
    panel.addObject(&kept);
    QVERIFY(qobject_cast<QSpinBox*>(openEditor(panel, "SampleBase/count")));

    delete doomed;
    QCOMPARE(panel.objects(), QList<QObject*>({&kept}));
    QCOMPARE(panel.model()->rowCount(), 1);
    QCOMPARE(valueIndex(panel.model(), "SampleBase/count").data(), QVariant(3));
    panel.updateObject(doomed);
    panel.updateObject(&kept);
    panel.grab();

    // An object shown earlier and then replaced no longer concerns the panel.
    auto* earlier = new SampleItem;
    panel.setObject(earlier);
    panel.setObject(&kept);
    delete earlier;
    QCOMPARE(panel.objects(), QList<QObject*>({&kept}));
    QCOMPARE(panel.model()->rowCount(), 1);

    auto* last = new SampleItem;
    panel.setObject(last);
    delete last;
    QVERIFY(panel.objects().isEmpty());
    QCOMPARE(panel.model()->rowCount(), 0);
    panel.grab();
    panel.setObject(nullptr);
}

void TestPropertyEditorWidget::numberEditors_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("editorClass");
    QTest::addColumn<int>("decimals");

    QTest::newRow("int") << "SampleBase/count" << "QSpinBox" << 0;
    QTest::newRow("double") << "SampleBase/ratio" << "QDoubleSpinBox" << 30;
    QTest::newRow("float") << "SampleItem/weight" << "QDoubleSpinBox" << 30;
    QTest::newRow("point x from hints") << "SampleItem/position/x" << "QDoubleSpinBox" << 30;
    QTest::newRow("point y from hints") << "SampleItem/position/y" << "QDoubleSpinBox" << 30;
}

void TestPropertyEditorWidget::numberEditors()
{
    QFETCH(QString, path);
    QFETCH(QString, editorClass);
    QFETCH(int, decimals);

    QPropertyEditorWidget panel;
    panel.show();
    SampleItem item;
    panel.setObject(&item);
    const QModelIndex index = valueIndex(panel.model(), path);
    const double before = index.data(Qt::EditRole).toDouble();

    auto* editor = qobject_cast<QAbstractSpinBox*>(openEditor(panel, path));
    QVERIFY(editor);
    QCOMPARE(QString::fromLatin1(editor->metaObject()->className()), editorClass);
    QCOMPARE(editor->property("minimum").toDouble(), -2147483647.0);
    QCOMPARE(editor->property("maximum").toDouble(), 2147483647.0);
    if (decimals)
        QCOMPARE(editor->property("decimals").toInt(), decimals);
    QCOMPARE(editor->property("value").toDouble(), before);
    QCOMPARE(item.writes, 0);

    // Every step reaches the object at once, and Escape does not take it back.
    editor->stepUp();
    QCOMPARE(item.writes, 1);
    QCOMPARE(index.data(Qt::EditRole).toDouble(), before + 1);
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QVERIFY(!panel.indexWidget(index));
    QCOMPARE(index.data(Qt::EditRole).toDouble(), before + 1);
}

void TestPropertyEditorWidget::colourWrittenOnCommit()
{
    QPropertyEditorWidget panel;
    panel.show();
    SampleItem item;
    panel.setObject(&item);
    auto* combo = qobject_cast<ColorCombo*>(openEditor(panel, "SampleItem/tint"));
    QVERIFY(combo);
    QCOMPARE(combo->color(), QColor(Qt::red));
    QCOMPARE(item.writes, 0);

    combo->setCurrentIndex(combo->findText(QStringLiteral("green")));
    QCOMPARE(item.writes, 0);
    pressReturn(combo);
    QCOMPARE(item.tint(), QColor(QStringLiteral("green")));
    QVERIFY(!panel.indexWidget(valueIndex(panel.model(), "SampleItem/tint")));
}

void TestPropertyEditorWidget::pointEditedAsText()
{
    QPropertyEditorWidget panel;
    panel.show();
    SampleItem item;
    panel.setObject(&item);
    auto* line = qobject_cast<QLineEdit*>(openEditor(panel, "SampleItem/position"));
    QVERIFY(line);
    QCOMPARE(line->text(), QStringLiteral("1.5, -2"));
    QCOMPARE(item.writes, 0);

    line->setText(QStringLiteral("3 4"));
    QCOMPARE(item.writes, 0);
    pressReturn(line);
    QCOMPARE(item.position(), QPointF(3, 4));
    QCOMPARE(valueIndex(panel.model(), "SampleItem/position").data(), QVariant(QStringLiteral("[ 3, 4]")));
}

void TestPropertyEditorWidget::boolAndEnumEditors()
{
    QPropertyEditorWidget panel;
    panel.show();
    SampleItem item;
    panel.setObject(&item);

    // A bool gets Qt's stock editor, written when committed.
    auto* flag = qobject_cast<QComboBox*>(openEditor(panel, "SampleItem/Layer 1"));
    QVERIFY(flag);
    QVERIFY(!qobject_cast<ColorCombo*>(flag));
    QCOMPARE(item.writes, 0);
    flag->setCurrentIndex(flag->findText(QStringLiteral("False"), Qt::MatchFixedString));
    QCOMPARE(item.writes, 0);
    pressReturn(flag);
    QVERIFY(!item.layer1());

    // An enumeration shows its keys; a choice is written at once.
    item.writes = 0;
    auto* keys = qobject_cast<QComboBox*>(openEditor(panel, "SampleItem/shade"));
    QVERIFY(keys);
    QCOMPARE(keys->count(), 3);
    QCOMPARE(keys->currentText(), QStringLiteral("Dark"));
    QCOMPARE(item.writes, 0);
    keys->setCurrentIndex(keys->findText(QStringLiteral("Light")));
    QCOMPARE(item.shade(), SampleItem::Light);
    pressReturn(keys);
    QCOMPARE(item.shade(), SampleItem::Light);
    QCOMPARE(valueIndex(panel.model(), "SampleItem/shade").data(), QVariant(QStringLiteral("Light")));
}

void TestPropertyEditorWidget::editFinishedCommitsAndCloses()
{
    QPropertyEditorWidget panel;
    panel.registerCustomPropertyCB(spanRows);
    panel.show();
    SpanHolder holder;
    panel.setObject(&holder);
    const QModelIndex index = valueIndex(panel.model(), "SpanHolder/span");

    // Its loading announced an end of edit, which must not commit or close it.
    auto* editor = qobject_cast<SpanEditor*>(openEditor(panel, "SpanHolder/span"));
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("2..5"));
    QCOMPARE(panel.indexWidget(index), editor);
    QCOMPARE(holder.writes, 0);
    // Nor may reloading it when the value changes while it is open.
    QVERIFY(panel.model()->setData(index, QVariant::fromValue(Span{4, 6})));
    QCOMPARE(editor->text(), QStringLiteral("4..6"));
    QCOMPARE(panel.indexWidget(index), editor);
    QCOMPARE(holder.writes, 1);

    editor->setText(QStringLiteral("7..9"));
    emit editor->editFinished();
    QCOMPARE(holder.span(), (Span{7, 9}));
    QVERIFY(!panel.indexWidget(index));

    // Without the callback the custom type gets no editor of the row's own.
    panel.unregisterCustomPropertyCB(spanRows);
    panel.setObject(&holder);
    QVERIFY(!qobject_cast<SpanEditor*>(openEditor(panel, "SpanHolder/span")));
}

void TestPropertyEditorWidget::hintsAppliedWithoutWriting()
{
    QPropertyEditorWidget panel;
    panel.show();
    LabelledSample sample;
    panel.setObject(&sample);
    auto* spin = qobject_cast<QSpinBox*>(openEditor(panel, "Labelled sample/level"));
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), 5);
    QCOMPARE(spin->maximum(), 9);
    // The clamped value stays in the editor until the user commits.
    QCOMPARE(sample.writes, 0);
    QCOMPARE(sample.level(), 1);

    QVariantDelegate delegate;
    QSpinBox box;
    delegate.parseEditorHints(&box, QStringLiteral(" minimum = 3 ;maximum=8;"));
    QCOMPARE(box.minimum(), 3);
    QCOMPARE(box.maximum(), 8);
    delegate.parseEditorHints(nullptr, QStringLiteral("minimum=1;"));

    // An index of some other model gets the stock handling.
    QStandardItemModel other;
    other.appendRow(new QStandardItem(QStringLiteral("text")));
    QWidget parent;
    std::unique_ptr<QWidget> editor(
        delegate.createEditor(&parent, QStyleOptionViewItem(), other.index(0, 0)));
    QVERIFY(qobject_cast<QLineEdit*>(editor.get()));
    delegate.setEditorData(editor.get(), other.index(0, 0));
    QCOMPARE(static_cast<QLineEdit*>(editor.get())->text(), QStringLiteral("text"));
}

QTEST_MAIN(TestPropertyEditorWidget)
#include "tst_propertyeditorwidget.moc"
