// The main window's commands on whole levels (new, clear, open, reload, save,
// save as, dropped files) and on the library, animations, rescaling and the
// colour-mapping export.

#include "KFLevelEditor.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QTextStream>
#include <QUndoStack>
#include <QUrl>

#include <cmath>
#include <set>
#include <vector>

#include "CCActionManager.h"
#include "IO/iotransformer.h"
#include "Items/AbstractLineItem.h"
#include "Items/ColorMarkerItem.h"
#include "Items/ConstraintItem.h"
#include "Items/SegmentShapeItem.h"
#include "Items/ShapeItem.h"
#include "Items/SpriteSheetItem.h"
#include "Items/item.h"
#include "Models/SpriteListModel.h"
#include "PhysicsReaderHelper.h"
#include "QPropertyEditorWidget.h"
#include "Settings.h"
#include "Views/AnimationEditor.h"
#include "Views/AnimationListView.h"
#include "Views/EditorView.h"
#include "Views/SpriteListView.h"
#include "cpSpaceSerializer.h"

namespace {

const QString kLevelExtension = QStringLiteral("kfml");
// Drags name at most this many files before the level among them is looked for.
const int kMaxDroppedUrls = 32;

// A CSV field as it is, or quoted when it holds a separator, quote or line break.
QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The constraints of the joints shown on the canvas that are out of its space
// (unbound, or taken out as unsolvable): the space alone would not save them.
// A joint held by the undo stack is not on the canvas.
std::vector<cpConstraint*> constraintsOutsideSpace(EditorView* canvas)
{
    std::vector<cpConstraint*> outside;
    cpSpace* space = canvas->space();
    for (ConstraintItem* joint : canvas->registry()->constraintItems()) {
        const auto* item = dynamic_cast<const QGraphicsItem*>(joint);
        cpConstraint* constraint = joint->constraint();
        if (item && item->scene() == canvas->scene() && constraint && joint->hasBodies()
            && !cpSpaceContainsConstraint(space, constraint))
            outside.push_back(constraint);
    }
    return outside;
}

} // namespace

void KFLevelEditor::on_clearButton_clicked()
{
    EditorView* canvas = ui.editorView;
    // Running previews point at sprites that are about to go; removing them also
    // puts every sprite back where the level had it.
    CCActionManager::get()->removeAllActions();
    // A sheet's placing tool would keep a deleted sheet.
    pointerClicked();
    context.undoStack->clear();
    ui.propertyEditor->setObject(nullptr);
    ui.actionEditor->setModel(nullptr);
    ui.actionEditor->setEnabled(false);
    canvas->clearAll();
    canvas->init();
    ui.propertyEditor->setObject(canvas);
    // The tab widget forgets its pages without deleting them.
    while (ui.spriteSheetTabs->count() > 0) {
        QWidget* page = ui.spriteSheetTabs->widget(0);
        ui.spriteSheetTabs->removeTab(0);
        delete page;
    }
    ui.spriteListView->clear();
}

void KFLevelEditor::on_newButton_clicked()
{
    on_clearButton_clicked();
    fileName.clear();
}

void KFLevelEditor::on_openButton_clicked()
{
    Settings settings;
    const QString name = QFileDialog::getOpenFileName(this, tr("Open Level"), settings.openFilePath(),
                                                      tr("KF File (*.") + kLevelExtension + QStringLiteral(")"));
    if (!name.isEmpty())
        openFile(name);
}

void KFLevelEditor::openFile(QString path)
{
    Settings settings;
    on_clearButton_clicked();
    settings.setOpenFilePath(path);
    fileName = path;

    EditorView* canvas = ui.editorView;
    QString error;
    QString untitled;
    if (!readLevel(canvas, &context, path, &error, &untitled)) {
        // Whatever was read is dropped, and the level stays untitled so that the
        // next Save asks for a name instead of writing over the unreadable file.
        on_clearButton_clicked();
        fileName.clear();
        const QString message = tr("Could not open %1: %2").arg(QDir::toNativeSeparators(path), error);
        qWarning("%s", qPrintable(message));
        showStatus(message);
    } else if (!untitled.isEmpty()) {
        // What the level file held stays; untitled, a Save cannot replace the
        // physics file with one that lacks its shapes.
        fileName.clear();
        const QString message = tr("Opened %1 untitled: %2").arg(QDir::toNativeSeparators(path), untitled);
        qWarning("%s", qPrintable(message));
        showStatus(message);
    }
    sceneSelectionChanged();
}

void KFLevelEditor::on_reloadButton_clicked()
{
    if (fileName.isEmpty())
        return;
    // Opening clears the level first.
    openFile(fileName);
}

bool KFLevelEditor::saveLevel()
{
    // A preview's transient positions, turns, scales and fades never reach the file.
    CCActionManager::get()->removeAllActions();
    EditorView* canvas = ui.editorView;
    cpSpaceSerializer serializer;
    serializer.setOutsideConstraints(constraintsOutsideSpace(canvas));
    IOTransformer transformer(QFile::encodeName(fileName).toStdString(), &context, &serializer);
    transformer.write(*canvas);
    if (!transformer.save(canvas->space())) {
        const QString message = tr("Could not save %1 (%2); the file on disk is unchanged")
                                    .arg(QDir::toNativeSeparators(fileName), transformer.errorString());
        qWarning("%s", qPrintable(message));
        showStatus(message);
        return false;
    }
    return true;
}

void KFLevelEditor::on_saveButton_clicked()
{
    if (fileName.isEmpty()) {
        on_saveAsButton_clicked();
        return;
    }
    saveLevel();
}

void KFLevelEditor::on_saveAsButton_clicked()
{
    Settings settings;
    QString name = QFileDialog::getSaveFileName(this, tr("Save Level"), settings.openFilePath(),
                                                QStringLiteral("KF File (*.") + kLevelExtension + QStringLiteral(")"));
    if (name.isEmpty())
        return;
    const QString suffix = tr(".") + kLevelExtension;
    if (!name.endsWith(suffix, Qt::CaseInsensitive)) {
        name += suffix;
        // The dialog's overwrite question saw only the name as typed.
        if (QFileInfo::exists(name)
            && QMessageBox::question(this, tr("Save Level"),
                                     tr("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(name)),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
            return;
    }
    fileName = name;
    on_saveButton_clicked();
}

QString KFLevelEditor::droppedLevel(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return QString();
    const QList<QUrl> urls = data->urls();
    for (int i = 0; i < urls.size() && i < kMaxDroppedUrls; ++i) {
        const QString path = urls.at(i).toLocalFile();
        if (!path.isEmpty() && path.endsWith(kLevelExtension, Qt::CaseInsensitive))
            return path;
    }
    return QString();
}

void KFLevelEditor::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedLevel(event->mimeData()).isEmpty())
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
    const QString path = droppedLevel(event->mimeData());
    if (path.isEmpty())
        return;
    openFile(path);
    event->acceptProposedAction();
}

void KFLevelEditor::on_addToLibrary_clicked()
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
    ui.editorView->editorScene()->addItem(sheet);
    addSpriteSheet(sheet);
    sceneStructureChanged();
    if (!sheet->readError().isEmpty())
        showStatus(tr("Could not read sprite sheet %1: %2").arg(QDir::toNativeSeparators(path), sheet->readError()));
}

void KFLevelEditor::addSpriteSheet(SpriteSheetItem* sheet)
{
    auto* view = new SpriteListView(ui.editorView, sheet, ui.spriteSheetTabs);
    ui.spriteSheetTabs->addTab(view, QFileInfo(sheet->plistFilePath()).completeBaseName());
    connect(view, &SpriteListView::toolSelected, this, &KFLevelEditor::setCurrentTool);
}

void KFLevelEditor::on_addToSpriteList_clicked()
{
    Settings settings;
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Add to Library"), settings.openSpriteSheetPath(),
                                                            tr("png (*.png)"));
    if (files.isEmpty())
        return;
    settings.setOpenSpriteSheetPath(files.first());
    for (const QString& file : files)
        ui.spriteListView->addFile(file);
}

void KFLevelEditor::addSprite(QString pixmapKey)
{
    ui.spriteListView->addFile(pixmapKey);
}

void KFLevelEditor::on_addToAnimationList_clicked()
{
    auto* frames = new SpriteListModel(this);
    QList<SpriteListModel*> models;
    QStringList names;
    for (int i = 0; i < ui.spriteSheetTabs->count(); ++i) {
        if (auto* view = qobject_cast<SpriteListView*>(ui.spriteSheetTabs->widget(i))) {
            models << view->itemModel();
            names << ui.spriteSheetTabs->tabText(i);
        }
    }
    animationEditor->setAnimationModel(frames);
    animationEditor->setModels(models, names);
    if (animationEditor->exec() == QDialog::Accepted && frames->rowCount() > 0) {
        QPixmap image = frames->data(frames->index(0, 0), SpritePixmapRole).value<QPixmap>();
        SpriteListModel* animations = ui.animationListView->itemModel();
        const QString name = tr("Animation %1").arg(animations->rowCount() + 1);
        animations->appendRow(new SpriteAnimationModelItem(frames, image, name, name));
    } else {
        delete frames;
    }
}

void KFLevelEditor::on_rescaleButton_clicked()
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

    const QList<QGraphicsItem*> items = ui.editorView->editorScene()->items();
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

void KFLevelEditor::exportColorMapping()
{
    Settings settings;
    const QString name = QFileDialog::getSaveFileName(this, tr("Export Color Mapping"), settings.openFilePath(),
                                                      tr("CSV File (*.csv)"));
    if (name.isEmpty())
        return;

    const QList<ColorMarkerItem*> markers = ui.editorView->colorMarkers();
    // Sorted, so the columns come out the same on every run.
    std::set<QString> columns;
    for (ColorMarkerItem* marker : markers) {
        const auto samples = marker->colorStringMap();
        for (auto it = samples.cbegin(); it != samples.cend(); ++it)
            columns.insert(it.key());
    }

    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        showStatus(tr("Could not write %1: %2").arg(QDir::toNativeSeparators(name), file.errorString()));
        return;
    }
    QTextStream out(&file);
    out << "id";
    for (const QString& column : columns)
        out << ',' << csvField(column);
    out << '\n';
    for (ColorMarkerItem* marker : markers) {
        const auto samples = marker->colorStringMap();
        out << csvField(marker->identifier());
        for (const QString& column : columns)
            out << ',' << csvField(samples.value(column));
        out << '\n';
    }
    out.flush();
    if (!file.commit())
        showStatus(tr("Could not write %1: %2").arg(QDir::toNativeSeparators(name), file.errorString()));
}
