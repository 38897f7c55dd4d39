#ifndef SCENEMOUSE_H
#define SCENEMOUSE_H

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>

// A left-button mouse event as the view would deliver it to the scene: at the
// scene point at, with the button gone down at down.
inline void sendSceneMouse(QGraphicsScene* scene, QEvent::Type type, QPointF at, QPointF down,
                           Qt::KeyboardModifiers mods = {})
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setScreenPos(at.toPoint());
    event.setLastScenePos(at);
    event.setButtonDownScenePos(Qt::LeftButton, down);
    event.setButtonDownScreenPos(Qt::LeftButton, down.toPoint());
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : Qt::LeftButton);
    event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
    event.setModifiers(mods);
    QCoreApplication::sendEvent(scene, &event);
}

#endif // SCENEMOUSE_H
