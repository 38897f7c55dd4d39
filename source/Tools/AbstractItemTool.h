#ifndef ABSTRACTITEMTOOL_H
#define ABSTRACTITEMTOOL_H

#include <QMetaType>
#include <QObject>

class EditorView;
class QKeyEvent;
class QMouseEvent;

// A tool receives the canvas's mouse and key input while it is the current tool
// and turns it into new scene items. Each handler answers whether it took the event.
class AbstractItemTool : public QObject
{
public:
    explicit AbstractItemTool(EditorView* view);

    virtual bool mousePressEvent(QMouseEvent* event) = 0;
    virtual bool mouseMoveEvent(QMouseEvent* event) = 0;
    virtual bool mouseReleaseEvent(QMouseEvent* event) = 0;
    // Most tools take no keys and never claim a click first: both answer false.
    virtual bool keyPressEvent(QKeyEvent* event);
    virtual bool priorityClick(QMouseEvent* event);

    EditorView* editorView() const { return view; }

protected:
    EditorView* view; // not owned
};

// Carried in tool-bar action data and in the sprite lists' toolSelected signal.
Q_DECLARE_METATYPE(AbstractItemTool*)

#endif // ABSTRACTITEMTOOL_H
