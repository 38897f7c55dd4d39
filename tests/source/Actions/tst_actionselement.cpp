#include "ActionTreeTestSupport.h"

#include "Views/EditorScene.h"
#include "Views/EditorView.h"

#include <chipmunk/chipmunk.h>

namespace {

const char nestedTreeText[] =
    "<actions>\n"
    "\t<sequence>\n"
    "\t\t<move_by duration=\"1\" x=\"0.3\" y=\"-12.5\"/>\n"
    "\t\t<delay_time duration=\"1\"/>\n"
    "\t\t<ease_in_out rate=\"1.5\">\n"
    "\t\t\t<move_to duration=\"1\" x=\"50\" y=\"50\"/>\n"
    "\t\t</ease_in_out>\n"
    "\t</sequence>\n"
    "\t<rotate_by duration=\"1\" rotation=\"1e+20\"/>\n"
    "</actions>\n\n";

} // namespace

class tst_ActionsElement : public QObject
{
    Q_OBJECT

private slots:
    void nestedTreeRoundTrip();
    void collisionElement();
    void readKeepsParametersInOrder();
    void unreadableElements_data();
    void unreadableElements();
    void collisionSpaceWhenRead();
};

void tst_ActionsElement::nestedTreeRoundTrip()
{
    ActionModel model(nullptr, nullptr);
    buildNestedTree(model);
    if (QTest::currentTestFailed())
        return;
    const QByteArray written = writtenText(model);
    QCOMPARE(written, QByteArray(nestedTreeText));

    ActionModel read(nullptr, nullptr);
    QVERIFY(readText(read, written));
    QCOMPARE(read.data(read.index(1, 1, read.index(0, 0, read.index(0, 0)))).toDouble(), 0.3);
    QCOMPARE(writtenText(read), written);
}

void tst_ActionsElement::collisionElement()
{
    ActionModel model(nullptr, nullptr);
    QVERIFY(dropKind(model, "On Collision"));
    QVERIFY(dropKind(model, "Rotate By", model.index(0, 0)));
    QCOMPARE(writtenText(model),
             QByteArray("<actions>\n"
                        "\t<on_collision type1=\"0\" type2=\"0\" uid1=\"-1\" uid2=\"-1\">\n"
                        "\t\t<rotate_by duration=\"1\" rotation=\"90\"/>\n"
                        "\t</on_collision>\n"
                        "</actions>\n\n"));
}

void tst_ActionsElement::readKeepsParametersInOrder()
{
    // Unknown attributes go, non-numbers and missing ones keep the defaults, and
    // the rewrite puts the parameters back in their own order.
    ActionModel model(nullptr, nullptr);
    QVERIFY(readText(model,
                     "<actions>"
                     "<move_by y=\"1e2\" speed=\"3\" x=\"abc\" duration=\"2\"/>"
                     "<on_collision uid1=\"5\" type1=\"4\" Type2=\"9\"><scale_to scale=\"nan\"/></on_collision>"
                     "</actions>"));
    QCOMPARE(describe(model), QString("Move By[duration=2 x=50 y=100] "
                                      "On Collision[type1=4 type2=0 uid1=5 uid2=-1](Scale To[duration=1 scale=0.5])"));
    QCOMPARE(writtenText(model),
             QByteArray("<actions>\n"
                        "\t<move_by duration=\"2\" x=\"50\" y=\"100\"/>\n"
                        "\t<on_collision type1=\"4\" type2=\"0\" uid1=\"5\" uid2=\"-1\">\n"
                        "\t\t<scale_to duration=\"1\" scale=\"0.5\"/>\n"
                        "\t</on_collision>\n"
                        "</actions>\n\n"));
}

void tst_ActionsElement::unreadableElements_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("tree");

    QTest::newRow("unknown at the top")
        << QByteArray("<actions><jump_by x=\"1\"/><delay_time duration=\"3\"/></actions>")
        << "Delay Time[duration=3]";
    QTest::newRow("unknown nested")
        << QByteArray("<actions><spawn><bogus><move_by/></bogus><delay_time/></spawn><repeat/></actions>")
        << "Spawn(Delay Time[duration=1]) Repeat[times=2]";
    QTest::newRow("capitalised kind before its own name")
        << QByteArray("<actions><Move_By duration=\"5\"/><delay_time/><move_by duration=\"2\"/></actions>")
        << "Delay Time[duration=1] Move By[duration=2 x=50 y=50]";
    QTest::newRow("near misses")
        << QByteArray("<actions><sequence><on_Collision/><delay_time_/><Sequence/></sequence></actions>")
        << "Sequence";
    QTest::newRow("text before the elements")
        << QByteArray("<actions>note<delay_time/></actions>")
        << "";
    QTest::newRow("same kind twice keeps order")
        << QByteArray("<actions><delay_time duration=\"1\"/><delay_time duration=\"2\"/></actions>")
        << "Delay Time[duration=1] Delay Time[duration=2]";
}

void tst_ActionsElement::unreadableElements()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, tree);
    ActionModel model(nullptr, nullptr);
    QVERIFY(readText(model, text));
    QCOMPARE(describe(model), tree);
}

void tst_ActionsElement::collisionSpaceWhenRead()
{
    const QByteArray text = "<actions><sequence><on_collision/></sequence><on_collision/></actions>";
    cpSpace* own = cpSpaceNew();

    ActionModel alone(own, nullptr);
    QVERIFY(readText(alone, text));
    auto* nested = dynamic_cast<CollisionActionItem*>(alone.nodeFromIndex(alone.index(0, 0, alone.index(0, 0))));
    auto* top = dynamic_cast<CollisionActionItem*>(alone.nodeFromIndex(alone.index(1, 0)));
    QVERIFY(nested && top);
    QCOMPARE(nested->space(), own);
    QCOMPARE(top->space(), own);

    // With a canvas, nested actions listen in the canvas's space.
    EditorContext context;
    EditorView view;
    view.setContext(&context);
    context.view = &view;
    view.init();
    QVERIFY(view.space());
    ActionModel onCanvas(own, nullptr);
    QVERIFY(readText(onCanvas, text, &context));
    nested = dynamic_cast<CollisionActionItem*>(onCanvas.nodeFromIndex(onCanvas.index(0, 0, onCanvas.index(0, 0))));
    QVERIFY(nested);
    QCOMPARE(nested->space(), view.space());

    cpSpaceFree(own);
}

QTEST_MAIN(tst_ActionsElement)
#include "tst_actionselement.moc"
