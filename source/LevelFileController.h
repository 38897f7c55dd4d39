#ifndef LEVELFILECONTROLLER_H
#define LEVELFILECONTROLLER_H

#include <QObject>
#include <QPointer>
#include <QString>

class EditorContext;
class EditorView;
class QMimeData;
class QWidget;

// The commands on whole level files: new, clear, open, reload, save, save as,
// dropped level files and the colour-mapping export. It keeps the name of the
// level file (empty while the level is untitled), asks for names through the
// file dialogs and reports a failure through statusMessage. Owned by the main
// window (its QObject parent, over which its dialogs open); the canvas and the
// context are the window's.
class LevelFileController : public QObject
{
    Q_OBJECT

public:
    LevelFileController(EditorView* canvas, EditorContext* context, QWidget* window);

    QString fileName() const { return m_fileName; }

    // The first local path among the drag's first 32 URLs that names a level file.
    static QString droppedLevel(const QMimeData* data);

public slots:
    void newLevel();
    // Empties the level and its history; the file name stays.
    void clearLevel();
    void open();
    // The open road for one level file (also taken by Reload and by dropped
    // files). The path is a copy: the open changes the file name it may be.
    void openFile(QString path);
    void reload();
    // Writes the level and its physics file under the file name, asking for one
    // while the level is untitled; false when nothing was written.
    bool save();
    bool saveAs();
    void exportColorMapping();

signals:
    // The level's items are about to go: whatever shows or holds them lets go.
    void aboutToClear();
    // The canvas holds a fresh, empty level.
    void cleared();
    // An open is done, read or not: the panels follow what the canvas holds now.
    void openFinished();
    void statusMessage(const QString& message);

private:
    bool writeLevel();
    void reportFailure(const QString& message);

    QPointer<EditorView> m_canvas;
    EditorContext* m_context;
    QPointer<QWidget> m_window;
    QString m_fileName;
};

#endif // LEVELFILECONTROLLER_H
