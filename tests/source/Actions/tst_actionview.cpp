#include "ActionTreeTestSupport.h"

class tst_ActionView : public QObject
{
    Q_OBJECT

private slots:
    void paletteListsTheKinds();
    void dropsThroughTheView();
    void deleteKeys_data();
    void deleteKeys();
    void deleteWithoutModel();
    void otherKeysMoveTheCurrentRow();
};

void tst_ActionView::paletteListsTheKinds()
{
    QObject owner;
    QStandardItemModel* palette = makeActionList(&owner);
    QCOMPARE(palette->QObject::parent(), &owner);
    const QStringList expected = {"Delay Time", "Ease In Out", "Move By", "Move To", "Repeat",
                                  "Repeat Forever", "Rotate By", "Rotate To", "Scale By", "Scale To",
                                  "Sequence", "Spawn", "On Collision"};
    QStringList names;
    for (int row = 0; row < palette->rowCount(); ++row) {
        const QModelIndex index = palette->index(row, 0);
        names << index.data().toString();
        QVERIFY(!(palette->flags(index) & Qt::ItemIsEditable));
        QVERIFY(palette->flags(index) & Qt::ItemIsDragEnabled);
    }
    QCOMPARE(names, expected);

    // Every row, dragged onto an editor, makes its own kind.
    ActionModel model(nullptr, nullptr);
    for (const QString& name : expected)
        QVERIFY2(dropKind(model, name), qPrintable(name));
    QStringList made;
    for (int row = 0; row < model.rowCount(); ++row)
        made << model.index(row, 0).data().toString();
    QCOMPARE(made, expected);
}

void tst_ActionView::dropsThroughTheView()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Sequence"));
    QVERIFY(dropKind(model, "Move By"));
    ActionView view;
    view.setDragDropMode(QAbstractItemView::DragDrop);
    view.setDefaultDropAction(Qt::CopyAction);
    view.setModel(&model);
    view.resize(300, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    auto drop = [&](const QString& kind, const QPoint& at) {
        std::unique_ptr<QMimeData> data = paletteDrag(kind);
        QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
        QDropEvent event(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &event);
    };
    // Onto the Sequence's row, onto the Move By row (a leaf: it goes beside it,
    // at the end of the top level), and onto the empty space below the rows.
    drop("Delay Time", view.visualRect(model.index(0, 0)).center());
    drop("Rotate By", view.visualRect(model.index(1, 0)).center());
    drop("Scale To", QPoint(10, 280));
    QCOMPARE(describe(model), QString("Sequence(Delay Time[duration=1]) Move By[duration=1 x=50 y=50] "
                                      "Rotate By[duration=1 rotation=90] Scale To[duration=1 scale=0.5]"));
}

void tst_ActionView::deleteKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("onParameter"); // else no current row
    QTest::addColumn<QString>("left");

    QTest::newRow("Delete on a parameter") << int(Qt::Key_Delete) << true << "Move By[x=50 y=50] Spawn";
    QTest::newRow("Backspace on a parameter") << int(Qt::Key_Backspace) << true << "Move By[x=50 y=50] Spawn";
    QTest::newRow("Delete without a current row") << int(Qt::Key_Delete) << false
                                                   << "Move By[duration=1 x=50 y=50] Spawn";
    QTest::newRow("Backspace without a current row") << int(Qt::Key_Backspace) << false
                                                     << "Move By[duration=1 x=50 y=50] Spawn";
}

void tst_ActionView::deleteKeys()
{
    QFETCH(int, key);
    QFETCH(bool, onParameter);
    QFETCH(QString, left);

    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Move By"));
    QVERIFY(dropKind(model, "Spawn"));
    ActionView view;
    view.setModel(&model);
    view.expandAll();
    if (onParameter)
        view.setCurrentIndex(model.index(0, 1, model.index(0, 0)));
    QTest::keyClick(&view, Qt::Key(key));
    QCOMPARE(describe(model), left);
}

void tst_ActionView::deleteWithoutModel()
{
    ActionView view;
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QVERIFY(!view.model() || view.model()->rowCount() == 0);
}

void tst_ActionView::otherKeysMoveTheCurrentRow()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "Delay Time"));
    QVERIFY(dropKind(model, "Rotate By"));
    ActionView view;
    view.setModel(&model);
    view.setCurrentIndex(model.index(0, 0));
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.currentIndex(), model.index(1, 0));
    QTest::keyClick(&view, Qt::Key_Return);
    QCOMPARE(model.rowCount(), 2);
}

QTEST_MAIN(tst_ActionView)
#include "tst_actionview.moc"
