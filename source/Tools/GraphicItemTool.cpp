#include "Tools/GraphicItemTool.h"

#include <QGraphicsScene>

#include "Items/GraphicItem.h"
#include "Items/SpriteSheetItem.h"
#include "Views/EditorView.h"

namespace {

using Tool = DropItemTool;
// The sprite is made by the tool itself, from its key and sheet.
//                             make     follow               finish               move  release keeps  click  Control
const Tool::Rule kSpriteRule = {nullptr, &Tool::followPointer, &Tool::takeSelection, true, true,   false, false, false};

} // namespace

GraphicItemTool::GraphicItemTool(EditorView* view, SpriteSheetItem* sheet)
    : DropItemTool(view, kSpriteRule)
    , m_sheet(sheet)
    , m_forSheet(sheet != nullptr)
{
}

void GraphicItemTool::setPixmapKey(QString key)
{
    m_pixmapKey = key;
}

SpriteSheetItem* GraphicItemTool::spriteSheet() const
{
    return m_sheet;
}

DropItemTool::Placed GraphicItemTool::makeItem(QGraphicsScene* scene, const QPointF& p)
{
    if (m_forSheet && !m_sheet)
        return {};
    // Sprites start on whole units: truncated toward zero.
    GraphicItem* sprite = new GraphicItem(int(p.x()), int(p.y()), m_pixmapKey, view->space(), m_sheet);
    if (!m_sheet)
        scene->addItem(sprite);
    return sprite;
}
