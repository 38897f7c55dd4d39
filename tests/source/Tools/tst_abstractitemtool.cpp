#include "Tools/AbstractItemTool.h"

#include <QAction>
#include <QVariant>
#include <QtTest>

namespace {
class NullTool : public AbstractItemTool
{
public:
    NullTool() : AbstractItemTool(nullptr) {}
    bool mousePressEvent(QMouseEvent*) override { return false; }
    bool mouseMoveEvent(QMouseEvent*) override { return false; }
    bool mouseReleaseEvent(QMouseEvent*) override { return false; }
    bool keyPressEvent(QKeyEvent*) override { return false; }
    bool priorityClick(QMouseEvent*) override { return false; }
};
} // namespace

class TestAbstractItemTool : public QObject
{
    Q_OBJECT
private slots:
    void variantRoundTrip();
};

// Tool-bar actions carry their tool in a QVariant; the tool must come back out
// as the same pointer, and an empty action data must give no tool.
void TestAbstractItemTool::variantRoundTrip()
{
    NullTool tool;
    QAction action;
    action.setData(QVariant::fromValue<AbstractItemTool*>(&tool));

    QVERIFY(action.data().canConvert<AbstractItemTool*>());
    QCOMPARE(action.data().value<AbstractItemTool*>(), static_cast<AbstractItemTool*>(&tool));
    QVERIFY(QMetaType::fromType<AbstractItemTool*>() != QMetaType::fromType<QObject*>());

    QAction empty;
    QCOMPARE(empty.data().value<AbstractItemTool*>(), static_cast<AbstractItemTool*>(nullptr));
}

QTEST_MAIN(TestAbstractItemTool)
#include "tst_abstractitemtool.moc"
