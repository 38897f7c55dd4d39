#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsTextItem>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrl>
#include <QtTest>

#include "Actions/ActionModel.h"
#include "CCActionManager.h"
#include "GuiTestMain.h"
#include "Items/AbstractLineItem.h"
#include "Items/CircleShapeItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/ConstraintItem.h"
#include "Items/GraphicItem.h"
#include "Items/JointItems.h"
#include "Items/SegmentShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/TextItem.h"
#include "Items/item.h"
#include "KFLevelEditor.h"
#include "LevelFileController.h"
#include "Models/SpriteListModel.h"
#include "PhysicsFileText.h"
#include "Settings.h"
#include "SpaceTestSupport.h"
#include "TestSupport.h"
#include "Tools/ShapeTools.h"
#include "Views/AnimationEditor.h"
#include "Views/AnimationListView.h"
#include "Views/EditorView.h"
#include "Views/SpriteListView.h"
#include "WindowTestSupport.h"
#include "ui_KFLevelEditor.h"

#include <QMetaProperty>

#include <algorithm>
#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QList<QGraphicsItem*> itemsOfType(KFLevelEditor& window, int type)
{
    QList<QGraphicsItem*> out;
    for (QGraphicsItem* item : window.form().editorView->editorScene()->items())
        if (item->type() == type)
            out << item;
    return out;
}

int countOf(KFLevelEditor& window, int type)
{
    return int(itemsOfType(window, type).size());
}

bool copyFixture(const QString& name, const QString& to)
{
    return QFile::copy(testDataPath(name), to);
}

CircleShapeItem* addCircle(KFLevelEditor& window, QPointF at)
{
    EditorView* canvas = window.form().editorView;
    auto* circle = new CircleShapeItem(canvas->space(), CircleTool::createDefaultShape(canvas->space(), cpv(at.x(), at.y())));
    canvas->editorScene()->addItem(circle);
    return circle;
}

template <typename Joint>
Joint* addJoint(KFLevelEditor& window, QPointF a, QPointF b)
{
    EditorView* canvas = window.form().editorView;
    auto* joint = new Joint(canvas->space(), Joint::defaultConstraint());
    joint->setLine(QLineF(a, b));
    canvas->editorScene()->addItem(joint);
    joint->setupNodes();
    return joint;
}

GraphicItem* addSprite(KFLevelEditor& window, QPointF at, const QString& key, SpriteSheetItem* sheet = nullptr)
{
    EditorView* canvas = window.form().editorView;
    auto* sprite = new GraphicItem(int(at.x()), int(at.y()), key, canvas->space(), sheet);
    if (!sprite->scene())
        canvas->editorScene()->addItem(sprite);
    sprite->setPos(at);
    return sprite;
}

void dragOnCanvas(KFLevelEditor& window, QPointF from, QPointF to)
{
    EditorView* canvas = window.form().editorView;
    QTest::mousePress(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, canvas->mapFromScene(from));
    QTest::mouseMove(canvas->viewport(), canvas->mapFromScene(to));
    QTest::mouseRelease(canvas->viewport(), Qt::LeftButton, Qt::NoModifier, canvas->mapFromScene(to));
}

// Physics ids are addresses; number them by first appearance in each file.
QString comparable(const QByteArray& text)
{
    static const QRegularExpression shapeId(QStringLiteral("shape_id=\"(-?\\d+)\""));
    QString out = normaliseIds(QString::fromUtf8(text));
    QStringList seen;
    QString result;
    qsizetype last = 0;
    auto it = shapeId.globalMatch(out);
    while (it.hasNext()) {
        const auto m = it.next();
        if (!seen.contains(m.captured(1)))
            seen << m.captured(1);
        result += out.mid(last, m.capturedStart(1) - last) + QString::number(seen.indexOf(m.captured(1)));
        last = m.capturedEnd(1);
    }
    return result + out.mid(last);
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray csvLabel(const QString& label)
{
    return label.contains(QLatin1Char(',')) ? '"' + label.toUtf8() + '"' : label.toUtf8();
}

QMimeData* urlData(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << (p.startsWith(QLatin1String("http")) ? QUrl(p) : QUrl::fromLocalFile(p));
    data->setUrls(urls);
    return data;
}

} // namespace

class TestLevelCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundTripThroughTheCommands();
    void saveAsCompletesTheName_data();
    void saveAsCompletesTheName();
    void saveAsAsksBeforeReplacingACompletedName();
    void untitledSaveCancelledWritesNothing();
    void failedSaveSaysSoAndKeepsTheFile();
    void previewIsNeverSaved();
    void clearAndNew();
    void eachCommandClearsOnce_data();
    void eachCommandClearsOnce();
    void reloadDiscardsEdits();
    void pathEndingOnAJointKeepsItsPoints();
    void droppedLevels_data();
    void droppedLevels();
    void malformedLevelOpensEmptyAndUntitled();
    void unreadableLevelOpensEmptyAndUntitled_data();
    void unreadableLevelOpensEmptyAndUntitled();
    void tornSaveOpensUntitled();
    void unreadableSheetSaysWhy_data();
    void unreadableSheetSaysWhy();
    void textsAndNamesReopenAsSaved();
    void unreadablePhysicsFileIsNotReplaced_data();
    void unreadablePhysicsFileIsNotReplaced();
    void missingImageOpens();
    void animationsAreNamedByTheirRow();
    void rescale_data();
    void rescale();
    void colorMappingExport_data();
    void colorMappingExport();
    void unboundJointReopensUnbound_data();
    void unboundJointReopensUnbound();

private:
    QTemporaryDir* m_dir = nullptr;
};

void TestLevelCommands::init()
{
    Settings settings;
    settings.clear();
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void TestLevelCommands::cleanup()
{
    CCActionManager::get()->removeAllActions();
    delete m_dir;
    m_dir = nullptr;
    flushDeletes();
}

void TestLevelCommands::roundTripThroughTheCommands()
{
    const QString level = m_dir->filePath(QStringLiteral("round.kfml"));
    const QString ball = m_dir->filePath(QStringLiteral("ball.png"));
    const QString plist = m_dir->filePath(QStringLiteral("sheet.plist"));
    QVERIFY(copyFixture(QStringLiteral("sprites/ball.png"), ball));
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.plist"), plist));
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.png"), m_dir->filePath(QStringLiteral("sheet.png"))));

    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Ui_KFLevelEditor& ui = window.form();

    // An empty file opens as an empty level under that name.
    writeText(level, QByteArray());
    window.openFile(level);
    QCOMPARE(window.currentFileName(), level);
    QCOMPARE(Settings().openFilePath(), m_dir->path());

    chooseFile(ball);
    QTest::mouseClick(ui.addToSpriteList, Qt::LeftButton);
    QCOMPARE(ui.spriteListView->model()->rowCount(), 1);
    QCOMPARE(Settings().openSpriteSheetPath(), m_dir->path());
    addSprite(window, QPointF(-100, 50), ball);

    chooseFile(plist);
    QTest::mouseClick(ui.addToLibrary, Qt::LeftButton);
    QCOMPARE(ui.spriteSheetTabs->count(), 1);
    QCOMPARE(ui.spriteSheetTabs->tabText(0), QStringLiteral("sheet"));
    const QList<QGraphicsItem*> sheets = itemsOfType(window, SpriteSheetItemType);
    QCOMPARE(sheets.size(), 1);
    auto* sheet = static_cast<SpriteSheetItem*>(sheets.first());
    addSprite(window, QPointF(40, 30), makeSpriteSheetPixmapKey(QStringLiteral("sheet.png"), QStringLiteral("a.png")), sheet);

    addCircle(window, QPointF(200, 0));
    addCircle(window, QPointF(300, 0));
    addJoint<PinJointItem>(window, QPointF(200, 0), QPointF(300, 0));
    addJoint<RotarySpringJointItem>(window, QPointF(200, 5), QPointF(300, 5));

    ui.lineToolAction->trigger();
    dragOnCanvas(window, QPointF(-200, -100), QPointF(-50, -120));
    ui.TextItemAction->trigger();
    dragOnCanvas(window, QPointF(0, -150), QPointF(0, -150));
    QCOMPARE(countOf(window, LineItemType), 1);
    QCOMPARE(countOf(window, TextItemType), 1);

    QTest::mouseClick(ui.saveButton, Qt::LeftButton);
    const QByteArray levelText = readAll(level);
    const QByteArray physicsText = readAll(level + QStringLiteral(".phyxml"));
    QVERIFY(levelText.startsWith("<view"));
    QVERIFY(physicsText.contains("<space"));

    QTest::mouseClick(ui.clearButton, Qt::LeftButton);
    QCOMPARE(countOf(window, GraphicItemType), 0);
    QCOMPARE(countOf(window, CircleShapeItemType), 0);
    QCOMPARE(ui.spriteSheetTabs->count(), 0);
    QCOMPARE(ui.spriteListView->model()->rowCount(), 0);
    QCOMPARE(window.currentFileName(), level);

    chooseFile(level);
    QTest::mouseClick(ui.openButton, Qt::LeftButton);
    QCOMPARE(window.currentFileName(), level);
    QCOMPARE(countOf(window, GraphicItemType), 2);
    QCOMPARE(countOf(window, SpriteSheetItemType), 1);
    QCOMPARE(ui.spriteSheetTabs->count(), 1);
    QCOMPARE(ui.spriteSheetTabs->tabText(0), QStringLiteral("sheet"));
    QCOMPARE(ui.spriteListView->model()->rowCount(), 1);
    QCOMPARE(countOf(window, CircleShapeItemType), 2);
    QCOMPARE(countOf(window, LineItemType), 1);
    QCOMPARE(countOf(window, TextItemType), 1);
    QCOMPARE(countOf(window, RotarySpringJointItemType), 1);
    const QList<QGraphicsItem*> pins = itemsOfType(window, PinJointItemType);
    QCOMPARE(pins.size(), 1);
    cpConstraint* pin = dynamic_cast<ConstraintItem*>(pins.first())->constraint();
    cpSpace* space = ui.editorView->space();
    QVERIFY(cpSpaceContainsConstraint(space, pin));
    QVERIFY(cpConstraintGetBodyA(pin) != cpConstraintGetBodyB(pin));
    QVERIFY(cpConstraintGetBodyA(pin) != cpSpaceGetStaticBody(space));
    QVERIFY(cpConstraintGetBodyB(pin) != cpSpaceGetStaticBody(space));
    QCOMPARE(static_cast<QGraphicsLineItem*>(dynamic_cast<AbstractLineJointItem*>(pins.first()))->pen().color(), kJointBetween);
    QCOMPARE(window.undoStack()->count(), 0);
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({ui.editorView}));

    // Saving what was opened writes the same files again.
    QTest::mouseClick(ui.saveButton, Qt::LeftButton);
    QCOMPARE(comparable(readAll(level)), comparable(levelText));
    QCOMPARE(comparable(readAll(level + QStringLiteral(".phyxml"))), comparable(physicsText));
}

void TestLevelCommands::saveAsCompletesTheName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << "plain" << "plain.kfml";
    QTest::newRow("extension") << "named.kfml" << "named.kfml";
    QTest::newRow("capital extension") << "LOUD.KFML" << "LOUD.KFML";
    QTest::newRow("other extension") << "level.xml" << "level.xml.kfml";
}

void TestLevelCommands::saveAsCompletesTheName()
{
    QFETCH(QString, typed);
    QFETCH(QString, written);
    KFLevelEditor window;
    addCircle(window, QPointF(0, 0));
    chooseFile(m_dir->filePath(typed));
    QTest::mouseClick(window.form().saveAsButton, Qt::LeftButton);
    const QString path = m_dir->filePath(written);
    QCOMPARE(window.currentFileName(), path);
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(QFileInfo::exists(path + QStringLiteral(".phyxml")));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
    // Save As never moves the start folder of the open dialog.
    QCOMPARE(Settings().openFilePath(), QDir::homePath());
}

void TestLevelCommands::saveAsAsksBeforeReplacingACompletedName()
{
    const QString existing = m_dir->filePath(QStringLiteral("kept.kfml"));
    writeText(existing, "<view/>\n");
    KFLevelEditor window;
    addCircle(window, QPointF(0, 0));

    bool asked = false;
    chooseFile(m_dir->filePath(QStringLiteral("kept")));
    answerMessageBox(QMessageBox::No, &asked);
    QTest::mouseClick(window.form().saveAsButton, Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(readAll(existing), QByteArray("<view/>\n"));
    QVERIFY(!QFileInfo::exists(existing + QStringLiteral(".phyxml")));
    QVERIFY(window.currentFileName().isEmpty());

    asked = false;
    chooseFile(m_dir->filePath(QStringLiteral("kept")));
    answerMessageBox(QMessageBox::Yes, &asked);
    QTest::mouseClick(window.form().saveAsButton, Qt::LeftButton);
    QVERIFY(asked);
    QVERIFY2(readAll(existing) != QByteArray("<view/>\n"), readAll(existing).constData());
    QCOMPARE(window.currentFileName(), existing);
}

void TestLevelCommands::untitledSaveCancelledWritesNothing()
{
    KFLevelEditor window;
    bool shown = false;
    answerNextDialog<QFileDialog>([](QFileDialog* d) { d->reject(); }, &shown);
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QVERIFY(shown);
    QVERIFY(window.currentFileName().isEmpty());
    QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
}

// A level that cannot be written says so, and a file already there stays as it was.
void TestLevelCommands::failedSaveSaysSoAndKeepsTheFile()
{
    const QString level = m_dir->filePath(QStringLiteral("kept.kfml"));
    writeText(level, "<view/>\n");
    KFLevelEditor window;
    window.openFile(level);
    addCircle(window, QPointF(0, 0));
    // A folder where the level file should be: the file cannot be replaced.
    QVERIFY(QFile::remove(level));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("kept.kfml")));
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QVERIFY(QFileInfo(level).isDir());
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("Could not save")));
    // The physics file is written only after the level file.
    QVERIFY(!QFileInfo::exists(level + QStringLiteral(".phyxml")));
}

// Save first ends every preview, which puts each sprite back where it was.
void TestLevelCommands::previewIsNeverSaved()
{
    const QString level = m_dir->filePath(QStringLiteral("preview.kfml"));
    writeText(level, QByteArray());
    KFLevelEditor window;
    window.openFile(level);
    GraphicItem* sprite = addSprite(window, QPointF(10, 20), testDataPath(QStringLiteral("sprites/ball.png")));
    sprite->setSelected(true);
    QVERIFY(sprite->actionModel());
    QAbstractItemModel* palette = window.form().actionList->model();
    QModelIndex moveBy;
    for (int row = 0; row < palette->rowCount(); ++row)
        if (palette->index(row, 0).data().toString() == QLatin1String("Rotate By"))
            moveBy = palette->index(row, 0);
    std::unique_ptr<QMimeData> drag(palette->mimeData({moveBy}));
    QVERIFY(sprite->actionModel()->dropMimeData(drag.get(), Qt::CopyAction, -1, -1, QModelIndex()));
    QTest::mouseClick(window.form().actionPlayButton, Qt::LeftButton);
    runScheduler(0.5f);
    QVERIFY(sprite->rotation() != 0.0);

    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QCOMPARE(sprite->rotation(), 0.0);
    window.openFile(level);
    const QList<QGraphicsItem*> sprites = itemsOfType(window, GraphicItemType);
    QCOMPARE(sprites.size(), 1);
    QCOMPARE(sprites.first()->rotation(), 0.0);
    QCOMPARE(sprites.first()->pos(), QPointF(10, 20));
    // The tree itself is saved with the sprite.
    QCOMPARE(static_cast<GraphicItem*>(sprites.first())->actionModel()->rowCount(), 1);
}

void TestLevelCommands::clearAndNew()
{
    const QString level = m_dir->filePath(QStringLiteral("clear.kfml"));
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.plist"), m_dir->filePath(QStringLiteral("sheet.plist"))));
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.png"), m_dir->filePath(QStringLiteral("sheet.png"))));
    writeText(level, QByteArray());
    KFLevelEditor window;
    Ui_KFLevelEditor& ui = window.form();
    window.openFile(level);
    window.addSpriteSheet(m_dir->filePath(QStringLiteral("sheet.plist")));
    QPointer<QWidget> page = ui.spriteSheetTabs->widget(0);
    QVERIFY(page);
    // A sheet whose property list is cut short is added like a missing one.
    window.addSpriteSheet(testDataPath(QStringLiteral("sprites/truncated.plist")));
    QCOMPARE(ui.spriteSheetTabs->count(), 2);
    GraphicItem* sprite = addSprite(window, QPointF(0, 0), testDataPath(QStringLiteral("sprites/ball.png")));
    sprite->setProperty("position", QPointF(5, 5));
    QCOMPARE(window.undoStack()->count(), 1);
    // A sheet's tool left current would keep the deleted sheet.
    ui.cpCircleAction->trigger();

    QTest::mouseClick(ui.clearButton, Qt::LeftButton);
    QCOMPARE(window.undoStack()->count(), 0);
    QCOMPARE(countOf(window, GraphicItemType), 0);
    QCOMPARE(countOf(window, SpriteSheetItemType), 0);
    QCOMPARE(ui.spriteSheetTabs->count(), 0);
    QVERIFY(!page);
    QVERIFY(!ui.editorView->currentTool());
    QVERIFY(ui.editorView->space());
    QVERIFY(ui.editorView->background());
    QCOMPARE(ui.propertyEditor->objects(), QList<QObject*>({ui.editorView}));
    QCOMPARE(window.currentFileName(), level);

    QTest::mouseClick(ui.newButton, Qt::LeftButton);
    QVERIFY(window.currentFileName().isEmpty());
    // Reload of an untitled level does nothing.
    addCircle(window, QPointF(0, 0));
    QTest::mouseClick(ui.reloadButton, Qt::LeftButton);
    QCOMPARE(countOf(window, CircleShapeItemType), 1);
}

void TestLevelCommands::eachCommandClearsOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("levelOnDisk"); // what the file holds when the command runs
    QTest::addColumn<int>("clears");
    QTest::addColumn<int>("opens");
    QTest::addColumn<bool>("titled");
    QTest::newRow("clear") << "clearButton" << QByteArray() << 1 << 0 << true;
    QTest::newRow("new") << "newButton" << QByteArray() << 1 << 0 << false;
    QTest::newRow("reload") << "reloadButton" << QByteArray() << 1 << 1 << true;
    // What was read of the broken file goes with a second clear.
    QTest::newRow("reload of a broken file") << "reloadButton" << QByteArray("<view") << 2 << 1 << false;
    QTest::newRow("save") << "saveButton" << QByteArray() << 0 << 0 << true;
}

void TestLevelCommands::eachCommandClearsOnce()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, levelOnDisk);
    QFETCH(int, clears);
    QFETCH(int, opens);
    QFETCH(bool, titled);
    const QString level = m_dir->filePath(QStringLiteral("once.kfml"));
    writeText(level, QByteArray());
    KFLevelEditor window;
    window.openFile(level);
    writeText(level, levelOnDisk);
    QSignalSpy released(&window.levelFiles(), &LevelFileController::aboutToClear);
    QSignalSpy cleared(&window.levelFiles(), &LevelFileController::cleared);
    QSignalSpy opened(&window.levelFiles(), &LevelFileController::openFinished);

    auto* control = window.findChild<QPushButton*>(button);
    QVERIFY(control);
    QTest::mouseClick(control, Qt::LeftButton);
    QCOMPARE(released.count(), clears);
    QCOMPARE(cleared.count(), clears);
    QCOMPARE(opened.count(), opens);
    QCOMPARE(window.currentFileName(), titled ? level : QString());
}

void TestLevelCommands::reloadDiscardsEdits()
{
    const QString level = m_dir->filePath(QStringLiteral("reload.kfml"));
    writeText(level, QByteArray());
    KFLevelEditor window;
    window.openFile(level);
    addCircle(window, QPointF(0, 0));
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    addCircle(window, QPointF(100, 0));
    QCOMPARE(countOf(window, CircleShapeItemType), 2);
    QTest::mouseClick(window.form().reloadButton, Qt::LeftButton);
    QCOMPARE(countOf(window, CircleShapeItemType), 1);
    QCOMPARE(window.currentFileName(), level);
}

void TestLevelCommands::pathEndingOnAJointKeepsItsPoints()
{
    // On open a path's end joins the node lying under it; a joint's end there
    // must not become part of the path.
    const QString level = m_dir->filePath(QStringLiteral("pathjoint.kfml"));
    writeText(level, QByteArray());
    KFLevelEditor window;
    window.openFile(level);
    addCircle(window, QPointF(100, 0));
    addCircle(window, QPointF(200, 0));
    addJoint<PinJointItem>(window, QPointF(100, 0), QPointF(200, 0));
    window.form().pathToolAction->trigger();
    dragOnCanvas(window, QPointF(0, 0), QPointF(100, 0));

    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    const QByteArray saved = readAll(level);
    QCOMPARE(saved.count("<pt "), 2);
    QTest::mouseClick(window.form().reloadButton, Qt::LeftButton);
    QCOMPARE(countOf(window, PinJointItemType), 1);
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QCOMPARE(comparable(readAll(level)), comparable(saved));
}

void TestLevelCommands::droppedLevels_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("opened"); // index of the file that opens, -1 for none
    QTest::newRow("one level") << QStringList{"a.kfml"} << 0;
    QTest::newRow("first level among others") << QStringList{"x.png", "b.KFML", "c.kfml"} << 1;
    QTest::newRow("no dot before the extension") << QStringList{"x.png", "levelkfml"} << 1;
    QTest::newRow("no level") << QStringList{"x.png", "y.plist"} << -1;
    QTest::newRow("remote file") << QStringList{"http://example.invalid/r.kfml"} << -1;
    QStringList many;
    for (int i = 0; i < 32; ++i)
        many << QStringLiteral("f%1.png").arg(i);
    QTest::newRow("level at 32") << (QStringList(many.mid(0, 31)) << "last.kfml") << 31;
    QTest::newRow("level at 33") << (QStringList(many) << "late.kfml") << -1;
}

void TestLevelCommands::droppedLevels()
{
    QFETCH(QStringList, names);
    QFETCH(int, opened);
    QStringList paths;
    for (const QString& name : names) {
        if (name.startsWith(QLatin1String("http"))) {
            paths << name;
            continue;
        }
        paths << m_dir->filePath(name);
        writeText(paths.last(), "<view/>\n");
    }
    KFLevelEditor window;
    std::unique_ptr<QMimeData> data(urlData(paths));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    QCOMPARE(enter.isAccepted(), opened >= 0);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    QCOMPARE(window.currentFileName(), opened >= 0 ? paths.at(opened) : QString());
}

// No exception and no modal box: the level is empty, untitled, and the status
// bar says why, so the next Save cannot write over the unreadable file.
void TestLevelCommands::malformedLevelOpensEmptyAndUntitled()
{
    const QString level = m_dir->filePath(QStringLiteral("broken.kfml"));
    writeText(level, "<view boundsLeft=\"-10\"><item file=\"x.png\"");
    KFLevelEditor window;
    addCircle(window, QPointF(0, 0));
    {
        NoModalDialog noModal;
        window.openFile(level);
        QCoreApplication::processEvents();
        QVERIFY(!noModal.seen());
    }
    QVERIFY(window.currentFileName().isEmpty());
    QCOMPARE(countOf(window, CircleShapeItemType), 0);
    QVERIFY(window.form().editorView->space());
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("broken.kfml")));
    QCOMPARE(Settings().openFilePath(), m_dir->path());

    // Save now asks for a name; cancelled, the broken file is left alone.
    bool asked = false;
    answerNextDialog<QFileDialog>([](QFileDialog* d) { d->reject(); }, &asked);
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(readAll(level), QByteArray("<view boundsLeft=\"-10\"><item file=\"x.png\""));
}

void TestLevelCommands::unreadableLevelOpensEmptyAndUntitled_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("another root") << "root" << "\"foo\", not \"view\"";
    QTest::newRow("NUL first") << "nul" << "NUL";
    QTest::newRow("only whitespace") << "blank" << "holds no level";
    QTest::newRow("missing") << "missing" << "does not exist";
    QTest::newRow("folder") << "folder" << "folder";
    QTest::newRow("fifo") << "fifo" << "not a regular file";
    QTest::newRow("link to /dev/zero") << "zero" << "not a regular file";
    QTest::newRow("symbolic link loop") << "loop" << "loop";
    QTest::newRow("too large") << "huge" << "larger than 256 MB";
    QTest::newRow("write-only") << "writeonly" << "Permission denied";
}

// Whatever keeps a file from being read as a level, the window says so in the
// status bar (where the pointer's coordinates never cover it), drops what it
// held and leaves the level untitled, so that Save asks for a name.
void TestLevelCommands::unreadableLevelOpensEmptyAndUntitled()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString level = m_dir->filePath(QStringLiteral("odd.kfml"));
    const QByteArray name = QFile::encodeName(level);
    if (kind == QLatin1String("root"))
        writeText(level, "<foo><view boundsLeft=\"-10\"/></foo>");
    else if (kind == QLatin1String("nul"))
        writeText(level, QByteArray("\0<view/>", 8));
    else if (kind == QLatin1String("blank"))
        writeText(level, " \n");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("odd.kfml")));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(name.constData(), 0600), 0);
    else if (kind == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), level));
    else if (kind == QLatin1String("loop"))
        QCOMPARE(symlink(name.constData(), name.constData()), 0);
    else if (kind == QLatin1String("huge")) {
        QFile file(level);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(1) << 30));
    } else if (kind == QLatin1String("writeonly")) {
        if (geteuid() == 0)
            QSKIP("the superuser reads any file");
        writeText(level, "<view/>");
        QVERIFY(QFile::setPermissions(level, QFile::WriteOwner));
    }

    KFLevelEditor window;
    addCircle(window, QPointF(0, 0));
    {
        NoModalDialog noModal;
        // A FIFO opened blocking would hang here: end the test instead.
        alarm(60);
        window.openFile(level);
        alarm(0);
        QCoreApplication::processEvents();
        QVERIFY(!noModal.seen());
    }
    QVERIFY(window.currentFileName().isEmpty());
    QCOMPARE(countOf(window, CircleShapeItemType), 0);
    const QString message = window.statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral("odd.kfml")) && message.contains(reason), qPrintable(message));

    EditorView* canvas = window.form().editorView;
    QTest::mouseMove(canvas->viewport(), QPoint(20, 20));
    QTest::mouseMove(canvas->viewport(), QPoint(30, 40));
    QCOMPARE(window.statusBar()->currentMessage(), message);

    bool asked = false;
    answerNextDialog<QFileDialog>([](QFileDialog* d) { d->reject(); }, &asked);
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QVERIFY(asked);
}

void TestLevelCommands::unreadableSheetSaysWhy_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fifo") << "fifo" << "not a regular file";
    QTest::newRow("link to /dev/zero") << "zero" << "not a regular file";
    QTest::newRow("missing") << "missing" << "does not exist";
    QTest::newRow("not a property list") << "other" << "not a property list";
}

// A sheet added to the library that cannot be read gets its tab, without
// frames, and the status bar says why; nothing blocks.
void TestLevelCommands::unreadableSheetSaysWhy()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString plist = m_dir->filePath(QStringLiteral("odd.plist"));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(plist).constData(), 0600), 0);
    else if (kind == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), plist));
    else if (kind == QLatin1String("other"))
        writeText(plist, "<view/>");

    KFLevelEditor window;
    alarm(60);
    window.addSpriteSheet(plist);
    alarm(0);
    QCOMPARE(window.form().spriteSheetTabs->count(), 1);
    const QString message = window.statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral("odd.plist")) && message.contains(reason), qPrintable(message));
}

// A save killed between its two renames leaves the new level beside the old
// physics file: the next open keeps what the level holds but says so and
// leaves the level untitled. A whole pair opens under its name.
void TestLevelCommands::tornSaveOpensUntitled()
{
    const QString level = m_dir->filePath(QStringLiteral("torn.kfml"));
    const QString physics = level + QStringLiteral(".phyxml");
    {
        KFLevelEditor window;
        writeText(level, QByteArray());
        window.openFile(level);
        addCircle(window, QPointF(0, 0));
        QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
        const QByteArray earlier = readAll(physics);
        addCircle(window, QPointF(50, 0));
        window.form().editorView->setBoundsLeft(-123);
        QTest::mouseClick(window.form().saveButton, Qt::LeftButton);

        window.openFile(level);
        QCOMPARE(window.currentFileName(), level);
        QCOMPARE(countOf(window, CircleShapeItemType), 2);
        writeText(physics, earlier);
    }
    KFLevelEditor window;
    window.openFile(level);
    QVERIFY(window.currentFileName().isEmpty());
    QCOMPARE(countOf(window, CircleShapeItemType), 1);
    QCOMPARE(window.form().editorView->boundsLeft(), -123.0f);
    const QString message = window.statusBar()->currentMessage();
    QVERIFY2(message.contains(QStringLiteral("torn.kfml.phyxml")) && message.contains(QStringLiteral("not saved with it")),
             qPrintable(message));
}

// Texts and names holding what XML cannot carry, or backslashes, reopen as
// they were saved (less what XML cannot hold), and Save says it worked only
// for a level that opens again.
void TestLevelCommands::textsAndNamesReopenAsSaved()
{
    const QString level = m_dir->filePath(QStringLiteral("texts.kfml"));
    const QString ball = m_dir->filePath(QStringLiteral("ball.png"));
    QVERIFY(copyFixture(QStringLiteral("sprites/ball.png"), ball));
    const QString typed = QStringLiteral("C:\\new\\table\\\nnext \\\\n\\");
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0x1b) + QChar(0xffff);
    {
        KFLevelEditor window;
        writeText(level, QByteArray());
        window.openFile(level);
        EditorView* canvas = window.form().editorView;
        auto* text = new TextItem;
        text->setPlainText(typed);
        canvas->editorScene()->addItem(text);
        auto* named = new TextItem;
        named->setPlainText(withNul);
        canvas->editorScene()->addItem(named);
        GraphicItem* sprite = addSprite(window, QPointF(5, 5), ball);
        sprite->setName(withNul);
        window.statusBar()->clearMessage();
        QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
    }
    KFLevelEditor window;
    window.openFile(level);
    QCOMPARE(window.currentFileName(), level);
    QStringList texts;
    for (QGraphicsItem* item : itemsOfType(window, TextItemType))
        texts << static_cast<TextItem*>(item)->toPlainText();
    texts.sort();
    QStringList expected{typed, QStringLiteral("ab")};
    expected.sort();
    QCOMPARE(texts, expected);
    const QList<QGraphicsItem*> sprites = itemsOfType(window, GraphicItemType);
    QCOMPARE(sprites.size(), 1);
    QCOMPARE(static_cast<GraphicItem*>(sprites.first())->name(), QStringLiteral("ab"));
}

// A physics file that is there but cannot be read leaves the level's own items
// open but the level untitled, so that a Save cannot replace the file with one
// that lacks its shapes. Without a physics file (or an empty one) nothing is lost.
void TestLevelCommands::unreadablePhysicsFileIsNotReplaced_data()
{
    QTest::addColumn<QByteArray>("physics");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("keepsName");
    QTest::newRow("truncated") << QByteArray("<space><iterations>10</iterations><shape type=\"circle\"><radius>3") << true << false;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << true << false;
    QTest::newRow("another root") << QByteArray("<view><shape type=\"circle\"/></view>") << true << false;
    QTest::newRow("missing") << QByteArray() << false << true;
    QTest::newRow("empty") << QByteArray() << true << true;
}

void TestLevelCommands::unreadablePhysicsFileIsNotReplaced()
{
    QFETCH(QByteArray, physics);
    QFETCH(bool, exists);
    QFETCH(bool, keepsName);
    const QString level = m_dir->filePath(QStringLiteral("shapes.kfml"));
    const QString physicsFile = level + QStringLiteral(".phyxml");
    writeText(level, "<view><line x1=\"0\" y1=\"0\" x2=\"50\" y2=\"50\" width=\"3\"/></view>");
    if (exists)
        writeText(physicsFile, physics);

    KFLevelEditor window;
    window.openFile(level);
    QCOMPARE(countOf(window, LineItemType), 1);
    QCOMPARE(window.currentFileName(), keepsName ? level : QString());
    if (keepsName)
        return;
    QVERIFY(window.statusBar()->currentMessage().contains(QStringLiteral("shapes.kfml.phyxml")));

    bool asked = false;
    answerNextDialog<QFileDialog>([](QFileDialog* d) { d->reject(); }, &asked);
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QVERIFY(asked);
    QCOMPARE(readAll(physicsFile), physics);
}

void TestLevelCommands::missingImageOpens()
{
    const QString level = m_dir->filePath(QStringLiteral("missing.kfml"));
    const QString image = m_dir->filePath(QStringLiteral("gone.png"));
    QVERIFY(copyFixture(QStringLiteral("sprites/ball.png"), image));
    writeText(level, QByteArray());
    {
        KFLevelEditor window;
        window.openFile(level);
        addSprite(window, QPointF(5, 5), image);
        addCircle(window, QPointF(100, 0));
        QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    }
    QVERIFY(QFile::remove(image));
    KFLevelEditor window;
    NoModalDialog noModal;
    window.openFile(level);
    QCoreApplication::processEvents();
    QVERIFY(!noModal.seen());
    QCOMPARE(window.currentFileName(), level);
    QCOMPARE(countOf(window, CircleShapeItemType), 1);
}

// The dialog builds the frames; accepted with frames, the animation takes the
// next number and its first frame's image; rejected or empty, nothing is added.
void TestLevelCommands::animationsAreNamedByTheirRow()
{
    KFLevelEditor window;
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.plist"), m_dir->filePath(QStringLiteral("sheet.plist"))));
    QVERIFY(copyFixture(QStringLiteral("sprites/sheet.png"), m_dir->filePath(QStringLiteral("sheet.png"))));
    window.addSpriteSheet(m_dir->filePath(QStringLiteral("sheet.plist")));
    SpriteListModel* animations = window.form().animationListView->itemModel();
    QPixmap frame(8, 8);
    frame.fill(Qt::red);
    auto build = [&frame](int frames, bool accept) {
        answerNextDialog<AnimationEditor>([&frame, frames, accept](AnimationEditor* editor) {
            QVERIFY(editor->animationModel());
            QCOMPARE(editor->animationModel()->rowCount(), 0);
            for (int i = 0; i < frames; ++i)
                editor->animationModel()->appendRow(new SpriteListModelItem(frame, QStringLiteral("f"), QStringLiteral("k")));
            if (accept)
                editor->accept();
            else
                editor->reject();
        });
    };
    build(2, false);
    QTest::mouseClick(window.form().addToAnimationList, Qt::LeftButton);
    build(0, true);
    QTest::mouseClick(window.form().addToAnimationList, Qt::LeftButton);
    QCOMPARE(animations->rowCount(), 0);
    build(2, true);
    QTest::mouseClick(window.form().addToAnimationList, Qt::LeftButton);
    build(1, true);
    QTest::mouseClick(window.form().addToAnimationList, Qt::LeftButton);
    QCOMPARE(animations->rowCount(), 2);
    QCOMPARE(animations->item(0)->text(), QStringLiteral("Animation 1"));
    QCOMPARE(animations->item(1)->text(), QStringLiteral("Animation 2"));
    QVERIFY(!animations->data(animations->index(1, 0), SpritePixmapRole).value<QPixmap>().isNull());
}

void TestLevelCommands::rescale_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("factor");
    QTest::newRow("by 2") << "2" << true << 2.0;
    QTest::newRow("by a half") << "0.5" << true << 0.5;
    QTest::newRow("not a number") << "abc" << true << 1.0;
    QTest::newRow("empty") << "" << true << 1.0;
    QTest::newRow("infinite") << "inf" << true << 1.0;
    QTest::newRow("cancelled") << "3" << false << 1.0;
}

// Positions scale, sizes stay: a segment's radius is the one size that follows.
void TestLevelCommands::rescale()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, factor);
    KFLevelEditor window;
    EditorView* canvas = window.form().editorView;
    GraphicItem* sprite = addSprite(window, QPointF(10, -5), testDataPath(QStringLiteral("sprites/ball.png")));
    CircleShapeItem* circle = addCircle(window, QPointF(40, 20));
    SegmentTool segmentTool(canvas);
    auto* segment = new SegmentShapeItem(canvas->space(), segmentTool.createDefaultShape(canvas->space(), cpv(-100, -50)));
    canvas->editorScene()->addItem(segment);
    auto* a = new LineItemNode(segment, nullptr);
    auto* b = new LineItemNode(segment, nullptr);
    canvas->editorScene()->addItem(a);
    canvas->editorScene()->addItem(b);
    a->setPos(-100, -50);
    b->setPos(-20, -50);
    a->updateEdges();
    b->updateEdges();
    segment->setRadius(3);
    const double circleRadius = cpCircleShapeGetRadius(circle->cpshape());

    typeIntoInputDialog(text, accepted);
    QTest::mouseClick(window.form().rescaleButton, Qt::LeftButton);
    QCOMPARE(sprite->pos(), QPointF(10, -5) * factor);
    QCOMPARE(circle->pos(), QPointF(40, 20) * factor);
    const cpVect body = cpBodyGetPosition(cpShapeGetBody(circle->cpshape()));
    QCOMPARE(QPointF(body.x, body.y), QPointF(40, 20) * factor);
    QCOMPARE(cpCircleShapeGetRadius(circle->cpshape()), circleRadius);
    QCOMPARE(segment->radius(), 3.0 * factor);
    QCOMPARE(b->pos(), QPointF(-20, -50) * factor);
    const cpVect end = cpSegmentShapeGetB(segment->cpshape());
    QCOMPARE(QPointF(end.x, end.y), QPointF(-20, -50) * factor);
}

void TestLevelCommands::colorMappingExport_data()
{
    QTest::addColumn<int>("markers");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no markers") << 0 << QString() << QByteArray("id\n");
    QTest::newRow("one over orange") << 1 << QString() << QByteArray("id,orange\n%1,255-128-0\n");
    QTest::newRow("label with a comma") << 1 << QStringLiteral("a,b") << QByteArray("id,orange\n\"a,b\",255-128-0\n");
    QTest::newRow("beside the sprite") << 2 << QString() << QByteArray("id,orange\n%1,255-128-0\n%2,\n");
}

void TestLevelCommands::colorMappingExport()
{
    QFETCH(int, markers);
    QFETCH(QString, label);
    QFETCH(QByteArray, expected);
    QImage orange(40, 40, QImage::Format_ARGB32);
    orange.fill(QColor(255, 128, 0));
    const QString image = m_dir->filePath(QStringLiteral("orange.png"));
    QVERIFY(orange.save(image));

    KFLevelEditor window;
    EditorView* canvas = window.form().editorView;
    addSprite(window, QPointF(0, 0), image);
    QStringList ids;
    for (int i = 0; i < markers; ++i) {
        auto* marker = new ColorMarkerItem;
        canvas->editorScene()->addItem(marker);
        marker->setPos(i == 0 ? QPointF(2, 3) : QPointF(500, 500));
        if (i == 0 && !label.isEmpty()) {
            for (QGraphicsItem* child : marker->childItems())
                if (auto* text = dynamic_cast<QGraphicsTextItem*>(child))
                    text->setPlainText(label);
        }
        marker->mapColors();
        ids << marker->identifier();
    }
    const QString csv = m_dir->filePath(QStringLiteral("colors.csv"));
    chooseFile(csv);
    window.form().exportColorMappingAction->trigger();
    // Rows come in the canvas's order of its markers.
    QList<QByteArray> lines = expected.split('\n');
    for (int i = 0; i < ids.size(); ++i)
        lines[i + 1].replace(QByteArray("%") + QByteArray::number(i + 1), ids.at(i).toUtf8());
    QByteArray want = lines.takeFirst() + '\n';
    for (ColorMarkerItem* marker : canvas->colorMarkers())
        for (const QByteArray& line : lines)
            if (line.startsWith(csvLabel(marker->identifier()) + ','))
                want += line + '\n';
    QCOMPARE(readAll(csv), want);
}


// A joint between two circles that were both made static leaves the space and
// still names both bodies. A file written before such joints were marked holds
// it as any other joint: the reader finds it cannot be solved.
void TestLevelCommands::unboundJointReopensUnbound_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("unmarked");
    QTest::newRow("pin") << int(PinJointItemType) << false;
    QTest::newRow("pivot") << int(PivotJointItemType) << false;
    QTest::newRow("rotary spring") << int(RotarySpringJointItemType) << false;
    QTest::newRow("gear") << int(GearJointItemType) << false;
    QTest::newRow("pin, file without the mark") << int(PinJointItemType) << true;
    QTest::newRow("pivot, file without the mark") << int(PivotJointItemType) << true;
}

void TestLevelCommands::unboundJointReopensUnbound()
{
    QFETCH(int, kind);
    QFETCH(bool, unmarked);
    const QString level = m_dir->filePath(QStringLiteral("unbound.kfml"));
    const QString physicsFile = level + QStringLiteral(".phyxml");
    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    EditorView* canvas = window.form().editorView;
    writeText(level, QByteArray());
    window.openFile(level);

    CircleShapeItem* a = addCircle(window, QPointF(200, 0));
    CircleShapeItem* b = addCircle(window, QPointF(300, 0));
    const QPointF from(203, 4), to(296, -2);
    ConstraintItem* joint = nullptr;
    switch (kind) {
    case PinJointItemType: joint = addJoint<PinJointItem>(window, from, to); break;
    case PivotJointItemType: joint = addJoint<PivotJointItem>(window, from, to); break;
    case RotarySpringJointItemType: joint = addJoint<RotarySpringJointItem>(window, from, to); break;
    default: joint = addJoint<GearJointItem>(window, from, to); break;
    }
    joint->setMaxForce(750);
    joint->setErrorBias(0.5f);
    QVERIFY(cpSpaceContainsConstraint(canvas->space(), joint->constraint()));
    a->setMass(-1);
    b->setMass(-1);
    QVERIFY(!cpSpaceContainsConstraint(canvas->space(), joint->constraint()));
    QVERIFY(joint->hasBodies());

    // Every value the property panel shows, as the item publishes it.
    const auto values = [](QObject* item) {
        QVariantMap out;
        const QMetaObject* meta = item->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i)
            if (meta->property(i).isUser())
                out.insert(QString::fromLatin1(meta->property(i).name()), meta->property(i).read(item));
        return out;
    };
    const QVariantMap before = values(joint);

    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    const QByteArray physics = readAll(physicsFile);
    QCOMPARE(physics.count("<constraint"), 1);
    if (unmarked) {
        QString text = QString::fromUtf8(physics);
        text.replace(QRegularExpression(QStringLiteral("(<constraint [^>]*) rogue=\"1\"")), QStringLiteral("\\1"));
        QVERIFY(text.toUtf8() != physics);
        writeText(physicsFile, text.toUtf8());
    }

    window.openFile(level);
    QCOMPARE(window.currentFileName(), level);
    const QList<QGraphicsItem*> joints = itemsOfType(window, kind);
    QCOMPARE(joints.size(), 1);
    auto* reopened = dynamic_cast<AbstractLineJointItem*>(joints.first());
    QVERIFY(reopened);
    QVERIFY(reopened->hasBodies());
    QVERIFY(!cpSpaceContainsConstraint(canvas->space(), reopened->constraint()));
    QCOMPARE(static_cast<QGraphicsLineItem*>(reopened)->pen().color(), kJointUnbound);
    // The file keeps six digits.
    const auto near = [](double x, double y) { return x == y || std::fabs(x - y) <= 1e-5 * std::max(std::fabs(x), std::fabs(y)); };
    const QVariantMap after = values(reopened);
    QCOMPARE(after.keys(), before.keys());
    for (const QString& name : before.keys()) {
        const QVariant x = before.value(name), y = after.value(name);
        const bool same = x.typeId() == QMetaType::QPointF
            ? near(x.toPointF().x(), y.toPointF().x()) && near(x.toPointF().y(), y.toPointF().y())
            : near(x.toDouble(), y.toDouble());
        QVERIFY2(same, qPrintable(name));
    }

    // And a save of what was reopened writes what the first save did.
    QTest::mouseClick(window.form().saveButton, Qt::LeftButton);
    QCOMPARE(comparable(readAll(physicsFile)), comparable(physics));
}

LEVELEDITOR_GUI_TEST_MAIN(TestLevelCommands)
#include "tst_levelcommands.moc"
