#ifndef TOOLEVENTS_H
#define TOOLEVENTS_H

#include <QKeyEvent>
#include <QMouseEvent>

#include "Tools/AbstractItemTool.h"

// Events handed straight to a tool, as the view passes them on: the left
// button at a view pixel.

inline QMouseEvent mouseEvent(QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    return QMouseEvent(type, QPointF(at), QPointF(at), button, buttons, Qt::NoModifier);
}

inline bool press(AbstractItemTool& tool, QPoint p)
{
    QMouseEvent e = mouseEvent(QEvent::MouseButtonPress, p);
    return tool.mousePressEvent(&e);
}

inline bool move(AbstractItemTool& tool, QPoint p)
{
    QMouseEvent e = mouseEvent(QEvent::MouseMove, p);
    return tool.mouseMoveEvent(&e);
}

inline bool release(AbstractItemTool& tool, QPoint p)
{
    QMouseEvent e = mouseEvent(QEvent::MouseButtonRelease, p);
    return tool.mouseReleaseEvent(&e);
}

inline bool priority(AbstractItemTool& tool, QPoint p)
{
    QMouseEvent e = mouseEvent(QEvent::MouseButtonPress, p);
    return tool.priorityClick(&e);
}

inline bool key(AbstractItemTool& tool, int k)
{
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    return tool.keyPressEvent(&e);
}

#endif // TOOLEVENTS_H
