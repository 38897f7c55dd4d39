// The whole open road, through the main window: the input is a level file, the
// physics file beside it and a tail of user actions, each part ended by a NUL
// byte (an input with fewer NULs has no tail, or no physics file either). The
// level is opened with the window's Open, stepped for a few ticks, then the
// tail's actions run in order (ticks, property sets with decoded values, drags
// with the pointer and the physics pointer, Delete, Undo, Redo). Last the level
// is saved and opened again: what was saved must open without an error, hold
// the same items, bodies, shapes and joints, and save to the same files again.

#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Items/ConstraintItem.h"
#include "Items/GradientItem.h"
#include "Items/item.h"
#include "Views/EditorView.h"

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGraphicsItem>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUndoStack>

#include <chipmunk/chipmunk.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

#include "FuzzScratch.h"
#include "PhysicsFileText.h"
#include "SpaceTestSupport.h"
#include "WindowTestSupport.h"

namespace {

// Bounds the work of one input: a tail asks for at most this many actions,
// each of at most kMaxTicksPerAction physics steps.
const int kMaxActions = 48;
const int kMaxTicksPerAction = 32;
// Ticks after the open, before the tail, so that every input steps the level.
const int kOpeningTicks = 4;

std::string g_level;
std::string g_physics;
// Set FUZZ_OPEN_TRACE to see each decoded action when replaying an input.
const bool g_trace = qEnvironmentVariableIsSet("FUZZ_OPEN_TRACE");
KFLevelEditor* g_window = nullptr;

void writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

// The part of [*data, end) before the next NUL, which the cursor then passes.
std::pair<const uint8_t*, size_t> nextPart(const uint8_t** data, const uint8_t* end)
{
    const uint8_t* begin = *data;
    const void* nul = std::memchr(begin, 0, size_t(end - begin));
    const uint8_t* stop = nul ? static_cast<const uint8_t*>(nul) : end;
    *data = nul ? stop + 1 : end;
    return {begin, size_t(stop - begin)};
}

// Reads the tail's bytes; past the end every read gives zero.
class Tail
{
public:
    Tail(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int16_t int16()
    {
        const uint16_t high = byte();
        return int16_t(uint16_t(high << 8 | byte()));
    }
    // A number of one of a few shapes: raw bits (NaN, infinities, denormals),
    // small integers, fixed point, or a signed power of ten up to 1e12.
    double number()
    {
        switch (byte() % 4) {
        case 0: {
            uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | byte();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        case 1:
            return double(int8_t(byte()));
        case 2:
            return int16() / 16.0;
        default: {
            const uint8_t b = byte();
            return (b & 0x80 ? -1.0 : 1.0) * std::pow(10.0, (b & 0x7f) % 13);
        }
        }
    }
    QString text()
    {
        QByteArray bytes;
        for (int n = byte() % 16; n > 0; --n)
            bytes.append(char(byte()));
        return QString::fromLatin1(bytes);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

EditorView* canvas()
{
    return g_window->form().editorView;
}

// The items a user can point at: everything but the canvas's own bounds and background.
QList<QGraphicsItem*> pointableItems()
{
    QList<QGraphicsItem*> out;
    for (QGraphicsItem* item : canvas()->editorScene()->items())
        if (item != canvas()->boundsItem() && item != canvas()->background())
            out << item;
    return out;
}

QGraphicsItem* pickItem(Tail& tail)
{
    const QList<QGraphicsItem*> items = pointableItems();
    const uint8_t index = tail.byte();
    return items.isEmpty() ? nullptr : items.at(index % items.size());
}

// The objects the property panel can show: the canvas, and the items it shows.
QObject* pickObject(Tail& tail)
{
    QList<QObject*> objects{canvas()};
    for (QGraphicsItem* item : pointableItems())
        if (propertiesType(ItemType(item->type())))
            if (auto* object = dynamic_cast<QObject*>(item))
                objects << object;
    return objects.at(tail.byte() % objects.size());
}

// Sets one of the properties the panel edits (writable, marked for the user)
// to a decoded value of its type, as the panel's editors hand it over.
void setProperty(Tail& tail)
{
    QObject* object = pickObject(tail);
    const QMetaObject* meta = object->metaObject();
    QList<QMetaProperty> editable;
    for (int i = 0; i < meta->propertyCount(); ++i)
        if (meta->property(i).isUser() && meta->property(i).isWritable())
            editable << meta->property(i);
    const uint8_t index = tail.byte();
    if (editable.isEmpty())
        return;
    const QMetaProperty property = editable.at(index % editable.size());
    QVariant value;
    switch (property.typeId()) {
    case QMetaType::Bool:
        value = (tail.byte() & 1) != 0;
        break;
    case QMetaType::Int: {
        const double n = tail.number();
        value = std::isfinite(n) && std::fabs(n) < 2e9 ? int(n) : 0;
        break;
    }
    case QMetaType::Float:
        value = float(tail.number());
        break;
    case QMetaType::Double:
        value = tail.number();
        break;
    case QMetaType::QPointF: {
        const double x = tail.number();
        value = QPointF(x, tail.number());
        break;
    }
    case QMetaType::QColor: {
        const uint8_t r = tail.byte(), g = tail.byte(), b = tail.byte();
        value = QColor(r, g, b, tail.byte());
        break;
    }
    case QMetaType::QString:
        value = tail.text();
        break;
    default:
        return;
    }
    if (g_trace)
        std::fprintf(stderr, "set %s.%s = %s\n", object->metaObject()->className(), property.name(),
                     qPrintable(value.toString()));
    property.write(object, value);
}

// A press on the item, a move by the decoded offset and a release, with the
// plain pointer or the physics pointer, Shift held when the tail says so.
void drag(Tail& tail, bool physics)
{
    QGraphicsItem* item = pickItem(tail);
    const int dx = tail.int16() / 64;
    const int dy = tail.int16() / 64;
    const Qt::KeyboardModifiers modifiers = tail.byte() & 1 ? Qt::ShiftModifier : Qt::NoModifier;
    if (!item)
        return;
    Ui_KFLevelEditor& ui = g_window->form();
    (physics ? ui.physicsPointerAction : ui.pointerAction)->trigger();
    EditorView* view = canvas();
    const QPointF at = item->sceneBoundingRect().center();
    view->centerOn(at);
    const QPoint from = view->mapFromScene(at);
    const bool onScreen = view->viewport()->rect().contains(from);
    if (g_trace)
        std::fprintf(stderr, "%s item of type %d by (%d, %d)%s%s\n", physics ? "physics drag" : "drag",
                     item->type() - QGraphicsItem::UserType, dx, dy, modifiers ? " with Shift" : "",
                     onScreen ? "" : ": off screen, skipped");
    // Only what is on screen can be pointed at.
    if (!onScreen)
        return;
    const QPoint to = from + QPoint(dx, dy);
    QTest::mousePress(view->viewport(), Qt::LeftButton, modifiers, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, modifiers, to);
    ui.pointerAction->trigger();
}

void pressDelete(Tail& tail)
{
    QGraphicsItem* item = pickItem(tail);
    if (!item)
        return;
    if (g_trace)
        std::fprintf(stderr, "delete item of type %d\n", item->type() - QGraphicsItem::UserType);
    EditorScene* scene = canvas()->editorScene();
    scene->clearSelection();
    item->setSelected(true);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    scene->sendEvent(item, &press);
    flushDeletes();
}

void ticks(int count)
{
    if (g_trace)
        std::fprintf(stderr, "%d ticks\n", count);
    if (!canvas()->physicsRunning())
        canvas()->startPhysics();
    for (int i = 0; i < count; ++i)
        fireTimers(canvas());
}

void runTail(Tail& tail)
{
    for (int action = 0; action < kMaxActions && !tail.atEnd(); ++action) {
        switch (tail.byte() % 8) {
        case 0:
            ticks(tail.byte() % kMaxTicksPerAction + 1);
            break;
        case 1:
            if (g_trace)
                std::fprintf(stderr, "stop\n");
            canvas()->stopPhysics();
            break;
        case 2:
            setProperty(tail);
            break;
        case 3:
            drag(tail, false);
            break;
        case 4:
            drag(tail, true);
            break;
        case 5:
            pressDelete(tail);
            break;
        case 6:
            if (g_trace)
                std::fprintf(stderr, "undo\n");
            g_window->undoStack()->undo();
            flushDeletes();
            break;
        default:
            if (g_trace)
                std::fprintf(stderr, "redo\n");
            g_window->undoStack()->redo();
            flushDeletes();
            break;
        }
    }
}

// What a level holds, as far as a save and a reopen must keep it.
struct Census
{
    std::map<int, int> items; // item type -> count
    int bodies = 0;
    int shapes = 0;
    int joints = 0;

    bool operator==(const Census& other) const
    {
        return items == other.items && bodies == other.bodies && shapes == other.shapes && joints == other.joints;
    }
};

// Counts the editor's own kinds of item. Their parts (Qt's plain items) and
// the end nodes are left out: lines that meet share a node, and the file keeps
// the lines, not which of them shared an end.
Census census()
{
    Census c;
    for (QGraphicsItem* item : pointableItems()) {
        if (item->type() <= QGraphicsItem::UserType || item->type() == LineItemNodeType)
            continue;
        // A joint that names no body cannot be written (the file joins two
        // bodies); the editor says so in its list of what it does not do.
        const auto* joint = dynamic_cast<const ConstraintItem*>(item);
        if (joint && !joint->hasBodies())
            continue;
        ++c.items[item->type()];
    }
    cpSpace* space = canvas()->space();
    c.bodies = bodyCount(space);
    c.shapes = shapeCount(space);
    c.joints = constraintCount(space);
    return c;
}

void printCensus(const char* label, const Census& c)
{
    std::fprintf(stderr, "%s: %d bodies, %d shapes, %d joints; items", label, c.bodies, c.shapes, c.joints);
    for (const auto& [type, count] : c.items)
        std::fprintf(stderr, " %d:%d", type - QGraphicsItem::UserType, count);
    std::fprintf(stderr, "\n");
}

// A saved file with its ids numbered by first appearance, since physics ids
// (and the level's references to them) are addresses, and without the joints'
// accumulated impulses: solver state of the last step, which the file records
// and no reader can give back to the engine (the next step rebuilds it).
QString comparable(const QByteArray& text)
{
    static const QRegularExpression shapeId(QStringLiteral("shape_id=\"(-?\\d+)\""));
    static const QRegularExpression impulse(QStringLiteral("<(jnAcc|jAcc)(>[^<]*</(jnAcc|jAcc)>| [^>]*/>)"));
    const QString ids = normaliseIds(QString::fromUtf8(text)).replace(impulse, QStringLiteral("<\\1/>"));
    QStringList seen;
    QString out;
    qsizetype last = 0;
    for (auto it = shapeId.globalMatch(ids); it.hasNext();) {
        const auto m = it.next();
        if (!seen.contains(m.captured(1)))
            seen << m.captured(1);
        out += ids.mid(last, m.capturedStart(1) - last) + QString::number(seen.indexOf(m.captured(1)));
        last = m.capturedEnd(1);
    }
    return out + ids.mid(last);
}

void printFirstDifference(const char* label, const QString& first, const QString& second)
{
    const QStringList a = first.split(QLatin1Char('\n'));
    const QStringList b = second.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString x = a.value(i), y = b.value(i);
        if (x != y) {
            // The element the line belongs to names the kind of thing that changed.
            QString owner;
            for (qsizetype j = i; j >= 0 && owner.isEmpty(); --j)
                if (a.value(j).contains(QLatin1String("type=")) || a.value(j).trimmed().startsWith(QLatin1String("<body")))
                    owner = a.value(j).trimmed();
            std::fprintf(stderr, "%s line %lld, in %s:\n  first:  %s\n  second: %s\n", label,
                         static_cast<long long>(i + 1), qPrintable(owner.left(120)), qPrintable(x.left(300)),
                         qPrintable(y.left(300)));
            return;
        }
    }
}

// Saves the window's level in place; false when the save was refused (it
// says so in the status bar and writes nothing).
bool save()
{
    g_window->statusBar()->clearMessage();
    g_window->form().saveButton->click();
    return g_window->statusBar()->currentMessage().isEmpty();
}

[[noreturn]] void fault(const char* what)
{
    std::fprintf(stderr, "fuzz_open: %s\n", what);
    std::fprintf(stderr, "status bar: %s\n", qPrintable(g_window->statusBar()->currentMessage()));
    // The abort skips the clean-up at exit, so the files stay for a look.
    std::fprintf(stderr, "saved files: %s\n", g_level.c_str());
    std::abort();
}

} // namespace

// Outside the C-linkage entry points, which would give the resource's
// initialiser C linkage too.
static void initResources()
{
    Q_INIT_RESOURCE(images);
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // The window's settings go to Qt's test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    const QString settingsFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                                   + QStringLiteral("/fuzz-open-") + QString::number(getpid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
    initResources();
    // Kept for the whole run, never destroyed: at exit the test library's
    // pointing device would go after the application it belongs to.
    new QApplication(*argc, *argv);
    g_window = new KFLevelEditor;
    g_window->resize(1200, 800);
    g_window->show();

    const std::string dir = scratchFolder() + "/fuzz_open_" + std::to_string(getpid());
    QDir().mkpath(QString::fromStdString(dir));
    g_level = dir + "/level.kfml";
    g_physics = g_level + ".phyxml";
    static std::string s_dir = dir;
    static QString s_settings = settingsFolder;
    std::atexit([] {
        QDir(QString::fromStdString(s_dir)).removeRecursively();
        QDir(s_settings).removeRecursively();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* end = data + size;
    const bool hasPhysics = std::memchr(data, 0, size) != nullptr;
    const auto level = nextPart(&data, end);
    const auto physics = nextPart(&data, end);
    Tail tail(data, size_t(end - data));

    QDir(QString::fromStdString(g_level).section(QLatin1Char('/'), 0, -2)).removeRecursively();
    QDir().mkpath(QString::fromStdString(g_level).section(QLatin1Char('/'), 0, -2));
    writeFile(g_level, level.first, level.second);
    if (hasPhysics)
        writeFile(g_physics, physics.first, physics.second);

    const QString path = QString::fromStdString(g_level);
    g_window->openFile(path);
    if (g_window->currentFileName() == path) {
        ticks(kOpeningTicks);
        runTail(tail);
        canvas()->stopPhysics();
        g_window->form().pointerAction->trigger();
        flushDeletes();

        // A level that opened, was stepped and edited is saved in place, opened
        // again, and saved again: the second save writes what the first did.
        if (save()) {
            const Census saved = census();
            const QString physicsPath = path + QStringLiteral(".phyxml");
            const QString level1 = comparable(readAll(path));
            const QString physics1 = comparable(readAll(physicsPath));
            g_window->openFile(path);
            if (g_window->currentFileName() != path)
                fault("the saved level does not reopen");
            const Census reopened = census();
            if (!(reopened == saved)) {
                printCensus("saved", saved);
                printCensus("reopened", reopened);
                fault("the reopened level differs from the saved one");
            }
            if (!save())
                fault("the reopened level cannot be saved");
            const QString level2 = comparable(readAll(path));
            const QString physics2 = comparable(readAll(physicsPath));
            if (level2 != level1 || physics2 != physics1) {
                printFirstDifference("level", level1, level2);
                printFirstDifference("physics", physics1, physics2);
                fault("a save of the reopened level writes a different level");
            }
        }
    }
    g_window->form().newButton->click();
    flushDeletes();
    return 0;
}
