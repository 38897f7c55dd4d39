#include "LevelFileController.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QSaveFile>
#include <QTextStream>
#include <QUndoStack>
#include <QUrl>

#include <set>
#include <vector>

#include "CCActionManager.h"
#include "IO/iotransformer.h"
#include "Items/ColorMarkerItem.h"
#include "Items/ConstraintItem.h"
#include "PhysicsReaderHelper.h"
#include "Settings.h"
#include "Views/EditorView.h"
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

LevelFileController::LevelFileController(EditorView* canvas, EditorContext* context, QWidget* window)
    : QObject(window)
    , m_canvas(canvas)
    , m_context(context)
    , m_window(window)
{
}

void LevelFileController::reportFailure(const QString& message)
{
    qWarning("%s", qPrintable(message));
    emit statusMessage(message);
}

void LevelFileController::clearLevel()
{
    // Running previews point at sprites that are about to go; removing them also
    // puts every sprite back where the level had it.
    CCActionManager::get()->removeAllActions();
    emit aboutToClear();
    m_context->undoStack->clear();
    m_canvas->clearAll();
    m_canvas->init();
    emit cleared();
}

void LevelFileController::newLevel()
{
    clearLevel();
    m_fileName.clear();
}

void LevelFileController::open()
{
    Settings settings;
    const QString name = QFileDialog::getOpenFileName(m_window, tr("Open Level"), settings.openFilePath(),
                                                      tr("KF File (*.") + kLevelExtension + QStringLiteral(")"));
    if (!name.isEmpty())
        openFile(name);
}

void LevelFileController::openFile(QString path)
{
    Settings settings;
    clearLevel();
    settings.setOpenFilePath(path);
    m_fileName = path;

    QString error;
    QString untitled;
    if (!readLevel(m_canvas, m_context, path, &error, &untitled)) {
        // Whatever was read is dropped, and the level stays untitled so that the
        // next Save asks for a name instead of writing over the unreadable file.
        clearLevel();
        m_fileName.clear();
        reportFailure(tr("Could not open %1: %2").arg(QDir::toNativeSeparators(path), error));
    } else if (!untitled.isEmpty()) {
        // What the level file held stays; untitled, a Save cannot replace the
        // physics file with one that lacks its shapes.
        m_fileName.clear();
        reportFailure(tr("Opened %1 untitled: %2").arg(QDir::toNativeSeparators(path), untitled));
    }
    emit openFinished();
}

void LevelFileController::reload()
{
    if (m_fileName.isEmpty())
        return;
    // Opening clears the level first.
    openFile(m_fileName);
}

bool LevelFileController::writeLevel()
{
    // A preview's transient positions, turns, scales and fades never reach the file.
    CCActionManager::get()->removeAllActions();
    cpSpaceSerializer serializer;
    serializer.setOutsideConstraints(constraintsOutsideSpace(m_canvas));
    IOTransformer transformer(QFile::encodeName(m_fileName).toStdString(), m_context, &serializer);
    transformer.write(*m_canvas);
    if (!transformer.save(m_canvas->space())) {
        reportFailure(tr("Could not save %1 (%2); the file on disk is unchanged")
                          .arg(QDir::toNativeSeparators(m_fileName), transformer.errorString()));
        return false;
    }
    return true;
}

bool LevelFileController::save()
{
    if (m_fileName.isEmpty())
        return saveAs();
    return writeLevel();
}

bool LevelFileController::saveAs()
{
    Settings settings;
    QString name = QFileDialog::getSaveFileName(m_window, tr("Save Level"), settings.openFilePath(),
                                                QStringLiteral("KF File (*.") + kLevelExtension + QStringLiteral(")"));
    if (name.isEmpty())
        return false;
    const QString suffix = tr(".") + kLevelExtension;
    if (!name.endsWith(suffix, Qt::CaseInsensitive)) {
        name += suffix;
        // The dialog's overwrite question saw only the name as typed.
        if (QFileInfo::exists(name)
            && QMessageBox::question(m_window, tr("Save Level"),
                                     tr("%1 already exists.\nDo you want to replace it?")
                                         .arg(QDir::toNativeSeparators(name)),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
            return false;
    }
    m_fileName = name;
    return writeLevel();
}

QString LevelFileController::droppedLevel(const QMimeData* data)
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

void LevelFileController::exportColorMapping()
{
    Settings settings;
    const QString name = QFileDialog::getSaveFileName(m_window, tr("Export Color Mapping"), settings.openFilePath(),
                                                      tr("CSV File (*.csv)"));
    if (name.isEmpty())
        return;

    const QList<ColorMarkerItem*> markers = m_canvas->colorMarkers();
    // Sorted, so the columns come out the same on every run.
    std::set<QString> columns;
    for (ColorMarkerItem* marker : markers) {
        const auto samples = marker->colorStringMap();
        for (auto it = samples.cbegin(); it != samples.cend(); ++it)
            columns.insert(it.key());
    }

    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        emit statusMessage(tr("Could not write %1: %2").arg(QDir::toNativeSeparators(name), file.errorString()));
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
        emit statusMessage(tr("Could not write %1: %2").arg(QDir::toNativeSeparators(name), file.errorString()));
}
