#ifndef QPROPERTYEDITORWIDGET_H
#define QPROPERTYEDITORWIDGET_H

#include <QList>
#include <QTreeView>

#include "QPropertyModel.h"

// The property panel: a tree of the user properties of the shown objects,
// edited in place. The objects are not owned; one that is destroyed while
// shown is dropped from the panel.
class QPropertyEditorWidget : public QTreeView
{
    Q_OBJECT

public:
    explicit QPropertyEditorWidget(QWidget* parent = nullptr);

    // Appends the rows of the object after those already shown.
    void addObject(QObject* propertyObject);
    // Shows only this object; null empties the panel.
    void setObject(QObject* propertyObject);
    // Re-reads the values and the dynamic rows of a shown object.
    void updateObject(QObject* propertyObject);
    QList<QObject*> objects() const { return m_objects; }

    void registerCustomPropertyCB(UserTypeCB callback);
    void unregisterCustomPropertyCB(UserTypeCB callback);

private:
    void objectDestroyed(QObject* propertyObject);

    QPropertyModel* m_model;
    QList<QObject*> m_objects;
};

#endif // QPROPERTYEDITORWIDGET_H
