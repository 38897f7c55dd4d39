#ifndef EDITORVIEW_H
#define EDITORVIEW_H

#include <QColor>
#include <QGraphicsView>
#include <QList>
#include <QMap>
#include <QPointF>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

#include <chipmunk/chipmunk.h>

#include "IO/ExtraAttributes.h"
#include "IO/iotransformer.h"
#include "Items/GroupRegistry.h"
#include "Items/ItemRegistry.h"
#include "Views/EditorScene.h"

class QGraphicsRectItem;
class QLabel;
class QStatusBar;
class QTimerEvent;

class AbstractItemTool;
class ColorMarkerItem;
class GroupableItem;
class KFLevelEditor;
class SpriteSheetItem;
class TriGradientItem;

// The y-up level canvas. It shows the level's scene, owns the physics space and
// its fixed-step simulation, keeps the group registry and is the root node
// ("view") of the level file. While a tool is current, mouse and key input go to
// the tool instead of the graphics view.
class EditorView : public QGraphicsView, public IONode
{
    Q_OBJECT
    Q_PROPERTY(float boundsLeft READ boundsLeft WRITE setBoundsLeft STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(float boundsBottom READ boundsBottom WRITE setBoundsBottom STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(float boundsRight READ boundsRight WRITE setBoundsRight STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(float boundsTop READ boundsTop WRITE setBoundsTop STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(float damping READ damping WRITE setDamping STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(QPointF gravity READ gravity WRITE setGravity STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(float editScale READ editScale WRITE setEditScale STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(QColor topColor READ topColor WRITE setTopColor STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(QColor midColor READ midColor WRITE setMidColor STORED true DESIGNABLE true SCRIPTABLE true USER true)
    Q_PROPERTY(QColor bottomColor READ bottomColor WRITE setBottomColor STORED true DESIGNABLE true SCRIPTABLE true USER true)

public:
    // The fixed physics step: 1/30 s rounded to single precision.
    static constexpr double physicsStep = 0.03333333507180214;
    // Interval of the physics timer in milliseconds.
    static constexpr int physicsInterval = 16;

    explicit EditorView(QWidget* parent = nullptr);
    ~EditorView() override;

    // The main window, whose sprite libraries learn of the sheets and sprites
    // a level brings when it is read; without one the reader skips them. A
    // template over the window so that the canvas needs no window header: the
    // window's own call binds its two functions.
    template <typename Window>
    void setLevelEditor(Window* editor);
    void setLevelEditor(std::nullptr_t);
    KFLevelEditor* levelEditor() const { return m_levelEditor; }
    // Shows the pointer's scene coordinates in a permanent label of the status
    // bar (object name "coordinates"), which its messages never cover.
    void setStatusBar(QStatusBar* statusBar);
    // A message for the user in the window's status bar; none without one.
    void showMessage(const QString& text);
    void setContext(EditorContext* context);

    void setCurrentTool(AbstractItemTool* tool);
    AbstractItemTool* currentTool() const { return m_currentTool; }

    EditorScene* editorScene() { return &m_scene; }

    // Level lifetime: init() makes a fresh level, clearAll() empties it; a
    // clearAll() must be followed by init() before the canvas is used again.
    void init();
    void clearAll();

    void scaleView(double factor);

    QList<ColorMarkerItem*> colorMarkers() const;

    // Physics.
    cpSpace* space() const { return m_space; }
    void startPhysics();
    void stopPhysics();
    bool physicsRunning() const { return m_physicsTimerId != 0; }
    // One physics step and the items placed after it; the physics timer calls
    // it. A body whose step took it past the shared bound of the engine's values
    // is stopped and leaves the simulation instead of being shown.
    void tick();
    // The live physics items of the space, by body.
    ItemRegistry* registry() { return &m_registry; }

    // Group registry: group name -> items of that group, in joining order.
    QMap<QString, QList<GroupableItem*> >* groupMap() { return m_groups.map(); }
    void updateItemInGroup(GroupableItem* item, QString newGroup, QString oldGroup);
    void removeItemFromGroup(GroupableItem* item, QString group);

    // Level-wide properties.
    float boundsLeft() const;
    float boundsBottom() const;
    float boundsRight() const;
    float boundsTop() const;
    void setBoundsLeft(float value);
    void setBoundsBottom(float value);
    void setBoundsRight(float value);
    void setBoundsTop(float value);

    float damping() const;
    void setDamping(float value);
    QPointF gravity() const;
    void setGravity(QPointF value);
    float editScale() const { return m_editScale; }
    void setEditScale(float value);

    QColor topColor() const;
    QColor midColor() const;
    QColor bottomColor() const;
    void setTopColor(QColor color);
    void setMidColor(QColor color);
    void setBottomColor(QColor color);

    // The items kept by the canvas itself (null between clearAll() and init()).
    QGraphicsRectItem* boundsItem() const { return m_boundsItem; }
    TriGradientItem* background() const { return m_background; }
    QPointF lastScenePoint() const { return m_lastScenePt; }

    // The root attributes that no reader knows, in file order: written back on
    // the next save, and gone with the level on New, Clear and Open.
    const ExtraAttributes& extraAttributes() const { return m_extraAttributes; }
    // The property panel lists and edits them through these.
    Q_INVOKABLE QStringList extraAttributeNames() const;
    Q_INVOKABLE QString extraAttribute(const QString& name) const;
    Q_INVOKABLE void setExtraAttribute(const QString& name, const QString& value);

    // IONode
    void read(IOTransformer& transformer) override;
    void write(IOTransformer& transformer) override;
    std::string key() override;

signals:
    void toolCompleted();
    void objectUpdated(QObject* object);
    void groupUpdated(QString oldGroup, QString newGroup);
    void groupsReset();
    void hoverPointChanged(QPointF scenePt);

protected:
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setBoundsRect(const QRectF& rect);
    // Reads every child element of one kind, each into a new item.
    template <typename Item, typename Make, typename Registered>
    void readItems(IOTransformer& transformer, Make make, Registered registered);
    // The main window's panels learn of what the reader made; nothing happens
    // without a main window, so the canvas reads levels alone.
    void registerSpriteSheet(SpriteSheetItem* sheet);
    void registerSprite(const QString& pixmapKey);
    void releaseSpace();

    ItemRegistry m_registry;
    // Before the scene: the items the scene deletes leave their groups.
    GroupRegistry m_groups;
    std::vector<cpBody*> m_tickBodies;
    std::vector<cpBody*> m_runaways;
    std::vector<QObject*> m_tickConstraints;
    bool m_checkBeforeStep = true;
    EditorScene m_scene;
    QGraphicsRectItem* m_boundsItem = nullptr;
    TriGradientItem* m_background = nullptr;
    // Owned by the status bar.
    QPointer<QStatusBar> m_statusBar;
    QPointer<QLabel> m_coordinates;
    KFLevelEditor* m_levelEditor = nullptr;
    std::function<void(SpriteSheetItem*)> m_addSpriteSheet;
    std::function<void(const QString&)> m_addSprite;
    AbstractItemTool* m_currentTool = nullptr;
    QPointF m_lastScenePt;
    int m_physicsTimerId = 0;
    cpSpace* m_space = nullptr;
    float m_editScale = 1.0f;
    ExtraAttributes m_extraAttributes;
};

template <typename Window>
void EditorView::setLevelEditor(Window* editor)
{
    if (!editor) {
        setLevelEditor(nullptr);
        return;
    }
    m_levelEditor = editor;
    m_addSpriteSheet = [editor](SpriteSheetItem* sheet) { editor->addSpriteSheet(sheet); };
    m_addSprite = [editor](const QString& pixmapKey) { editor->addSprite(pixmapKey); };
}

#endif // EDITORVIEW_H
