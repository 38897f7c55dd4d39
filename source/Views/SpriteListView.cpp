#include "Views/SpriteListView.h"

#include <QFileInfo>
#include <QPixmap>
#include <QPixmapCache>
#include <QtDebug>

#include "IO/imagefile.h"
#include "IO/textcodec.h"
#include "Items/SpriteSheetItem.h"
#include "Models/SpriteListModel.h"
#include "Tools/GraphicItemTool.h"
#include "Views/EditorView.h"

SpriteListView::SpriteListView(EditorView* view, SpriteSheetItem* sheet, QWidget* parent)
    : QListView(parent)
{
    setUp(view, sheet);
}

SpriteListView::SpriteListView(QWidget* parent)
    : QListView(parent)
{
    setUp(nullptr, nullptr);
}

SpriteListModel* SpriteListView::itemModel() const
{
    return m_model;
}

SpriteListView::~SpriteListView()
{
    releaseTool();
}

void SpriteListView::setUp(EditorView* view, SpriteSheetItem* sheet)
{
    m_canvas = view;
    if (view)
        m_tool = new GraphicItemTool(view, sheet);
    if (view && sheet)
        m_model = sheet->model();
    else
        m_model = new SpriteListModel(this);
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(this, &QAbstractItemView::clicked, this,
            qOverload<const QModelIndex&>(&SpriteListView::selectionChanged));
}

// A canvas that still holds the tool as its current tool would hand its next
// event to freed memory: it falls back to the plain pointer first.
void SpriteListView::releaseTool()
{
    if (!m_tool)
        return;
    if (m_canvas && m_canvas->currentTool() == m_tool)
        m_canvas->setCurrentTool(nullptr);
    delete m_tool;
    m_tool = nullptr;
}

void SpriteListView::setEditorView(EditorView* view)
{
    releaseTool();
    m_canvas = view;
    m_tool = new GraphicItemTool(view, nullptr);
}

void SpriteListView::clear()
{
    if (m_model)
        m_model->clear();
}

void SpriteListView::addFile(QString path)
{
    if (!m_model || !QFileInfo::exists(path))
        return;
    QPixmap image;
    if (!QPixmapCache::find(path, &image)) {
        QString why;
        image = readImageFile(path, &why);
        if (image.isNull()) {
            qWarning("Not added: %s: %s", encodeText(path).c_str(), encodeText(why).c_str());
            return;
        }
        QPixmapCache::insert(path, image);
    }
    m_model->appendRow(new SpriteListModelItem(image, QFileInfo(path).fileName(), path));
}

void SpriteListView::selectionChanged(const QModelIndex& index)
{
    if (!m_tool)
        return;
    m_tool->setPixmapKey(index.data(Qt::ToolTipRole).toString());
    emit toolSelected(m_tool);
}
