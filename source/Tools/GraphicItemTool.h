#ifndef GRAPHICITEMTOOL_H
#define GRAPHICITEMTOOL_H

#include <QPointer>
#include <QString>

#include "Tools/DropItemTool.h"

class SpriteSheetItem;

// Places sprites of the chosen pixmap key: under its sprite sheet, or loose in
// the scene when made without one. Owned by the sprite list that offers the keys.
class GraphicItemTool : public DropItemTool
{
public:
    GraphicItemTool(EditorView* view, SpriteSheetItem* sheet);

    void setPixmapKey(QString key);
    QString pixmapKey() const { return m_pixmapKey; }
    SpriteSheetItem* spriteSheet() const;

protected:
    Placed makeItem(QGraphicsScene* scene, const QPointF& p) override;

private:
    QString m_pixmapKey;
    // Guarded: clearing the level deletes the sheet, and a tool made for a
    // sheet must not place loose sprites after that.
    QPointer<SpriteSheetItem> m_sheet;
    bool m_forSheet;
};

#endif // GRAPHICITEMTOOL_H
