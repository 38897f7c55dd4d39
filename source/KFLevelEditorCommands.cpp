// The main window's commands on its sprite-sheet, sprite and animation
// library, the rescaling of positions, and the drops that open a level file.

#include "KFLevelEditor.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

#include <cmath>

#include "Items/AbstractLineItem.h"
#include "Items/SegmentShapeItem.h"
#include "Items/ShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "LevelFileController.h"
#include "Models/SpriteListModel.h"
#include "Settings.h"
#include "Views/AnimationEditor.h"
#include "Views/AnimationListView.h"
#include "Views/EditorView.h"
#include "Views/SpriteListView.h"
#include "ui_KFLevelEditor.h"

void KFLevelEditor::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LevelFileController::droppedLevel(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void KFLevelEditor::dragMoveEvent(QDragMoveEvent* event)
{
    event->acceptProposedAction();
}

void KFLevelEditor::dragLeaveEvent(QDragLeaveEvent* event)
{
    event->accept();
}

void KFLevelEditor::dropEvent(QDropEvent* event)
{
    const QString path = LevelFileController::droppedLevel(event->mimeData());
    if (path.isEmpty())
        return;
    m_files->openFile(path);
    event->acceptProposedAction();
}

void KFLevelEditor::addToLibrary()
{
    Settings settings;
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add to Library"), settings.openSpriteSheetPath(),
                                                            tr("plist (*.plist)"));
    if (files.isEmpty())
        return;
    settings.setOpenSpriteSheetPath(files.first());
    for (const QString& file : files)
        addSpriteSheet(file);
}

void KFLevelEditor::addSpriteSheet(QString path)
{
    auto* sheet = new SpriteSheetItem(path);
    m_ui->editorView->editorScene()->addItem(sheet);
    addSpriteSheet(sheet);
    sceneStructureChanged();
    if (!sheet->readError().isEmpty())
        showStatus(tr("Could not read sprite sheet %1: %2").arg(QDir::toNativeSeparators(path), sheet->readError()));
}

void KFLevelEditor::addSpriteSheet(SpriteSheetItem* sheet)
{
    auto* view = new SpriteListView(m_ui->editorView, sheet, m_ui->spriteSheetTabs);
    m_ui->spriteSheetTabs->addTab(view, QFileInfo(sheet->plistFilePath()).completeBaseName());
    connect(view, &SpriteListView::toolSelected, this, &KFLevelEditor::setCurrentTool);
}

void KFLevelEditor::addToSpriteList()
{
    Settings settings;
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add to Library"), settings.openSpriteSheetPath(),
                                                            tr("png (*.png)"));
    if (files.isEmpty())
        return;
    settings.setOpenSpriteSheetPath(files.first());
    for (const QString& file : files)
        m_ui->spriteListView->addFile(file);
}

void KFLevelEditor::addSprite(QString pixmapKey)
{
    m_ui->spriteListView->addFile(pixmapKey);
}

void KFLevelEditor::addToAnimationList()
{
    auto* frames = new SpriteListModel(this);
    QList<SpriteListModel*> models;
    QStringList names;
    for (int i = 0; i < m_ui->spriteSheetTabs->count(); ++i) {
        if (auto* view = qobject_cast<SpriteListView*>(m_ui->spriteSheetTabs->widget(i))) {
            models << view->itemModel();
            names << m_ui->spriteSheetTabs->tabText(i);
        }
    }
    m_animationEditor->setAnimationModel(frames);
    m_animationEditor->setModels(models, names);
    if (m_animationEditor->exec() == QDialog::Accepted && frames->rowCount() > 0) {
        QPixmap image = frames->data(frames->index(0, 0), SpritePixmapRole).value<QPixmap>();
        SpriteListModel* animations = m_ui->animationListView->itemModel();
        const QString name = tr("Animation %1").arg(animations->rowCount() + 1);
        animations->appendRow(new SpriteAnimationModelItem(frames, image, name, name));
    } else {
        delete frames;
    }
}

void KFLevelEditor::rescale()
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, tr("Scale positions by:"), tr("Scale:"), QLineEdit::Normal,
                                               QStringLiteral("1.0"), &ok);
    if (!ok || text.isEmpty())
        return;
    bool number = false;
    const double k = text.toDouble(&number);
    // A factor that is not finite would carry NaN or infinity into the engine.
    if (!number || !std::isfinite(k))
        return;

    const QList<QGraphicsItem*> items = m_ui->editorView->editorScene()->items();
    for (QGraphicsItem* item : items) {
        if (shapeType(ItemType(item->type())))
            continue;
        item->setPos(item->pos() * k);
        if (item->type() == LineItemNodeType)
            static_cast<LineItemNode*>(item)->updateEdges();
    }
    for (QGraphicsItem* item : items) {
        if (!shapeType(ItemType(item->type())))
            continue;
        item->setPos(item->pos() * k);
        if (auto* shape = dynamic_cast<ShapeItem*>(item))
            shape->adjustShape();
        if (item->type() == SegmentShapeItemType) {
            auto* segment = static_cast<SegmentShapeItem*>(item);
            segment->setRadius(segment->radius() * k);
        }
    }
}
