#ifndef SPRITELISTVIEW_H
#define SPRITELISTVIEW_H

#include <QListView>
#include <QPointer>
#include <QString>

class AbstractItemTool;
class EditorView;
class GraphicItemTool;
class SpriteListModel;
class SpriteSheetItem;

// A list of images to place: one sprite sheet's frames, or loose image files.
// A click hands the entry's pixmap key to the list's own sprite tool and
// announces the tool. Owns the tool; owns its model unless a sheet's model is
// shown, which the sheet owns.
class SpriteListView : public QListView
{
    Q_OBJECT
public:
    SpriteListView(EditorView* view, SpriteSheetItem* sheet, QWidget* parent = nullptr);
    explicit SpriteListView(QWidget* parent = nullptr);
    ~SpriteListView() override;

    // Null once the sheet that owned it is gone.
    SpriteListModel* itemModel() const;
    GraphicItemTool* spriteTool() const { return m_tool; }

    // A new loose-sprite tool for view, in place of the current one.
    void setEditorView(EditorView* view);
    void clear();
    // Appends a loose image; a path that gives no image adds nothing.
    void addFile(QString path);

signals:
    void toolSelected(AbstractItemTool* tool);

protected:
    // The view's own selection handler stays as it is beside the click slot.
    using QListView::selectionChanged;

private slots:
    void selectionChanged(const QModelIndex& index);

private:
    void setUp(EditorView* view, SpriteSheetItem* sheet);
    void releaseTool();

    QPointer<SpriteListModel> m_model;
    GraphicItemTool* m_tool = nullptr;
    QPointer<EditorView> m_canvas;
};

#endif // SPRITELISTVIEW_H
