#include "QPropertyEditorWidget.h"

#include "QVariantDelegate.h"

QPropertyEditorWidget::QPropertyEditorWidget(QWidget* parent)
    : QTreeView(parent)
    , m_model(new QPropertyModel(this))
{
    setModel(m_model);
    setItemDelegate(new QVariantDelegate(this));
}

void QPropertyEditorWidget::addObject(QObject* propertyObject)
{
    if (!propertyObject)
        return;
    if (!m_objects.contains(propertyObject)) {
        connect(propertyObject, &QObject::destroyed, this,
                [this](QObject* gone) { objectDestroyed(gone); });
    }
    m_model->addItem(propertyObject);
    m_objects.append(propertyObject);
    expandToDepth(0);
}

void QPropertyEditorWidget::setObject(QObject* propertyObject)
{
    m_model->clear();
    for (QObject* shown : std::as_const(m_objects))
        disconnect(shown, nullptr, this, nullptr);
    m_objects.clear();
    if (propertyObject)
        addObject(propertyObject);
}

void QPropertyEditorWidget::updateObject(QObject* propertyObject)
{
    if (propertyObject && m_objects.contains(propertyObject))
        m_model->updateItem(propertyObject, QModelIndex());
}

void QPropertyEditorWidget::registerCustomPropertyCB(UserTypeCB callback)
{
    m_model->registerCustomPropertyCB(callback);
}

void QPropertyEditorWidget::unregisterCustomPropertyCB(UserTypeCB callback)
{
    m_model->unregisterCustomPropertyCB(callback);
}

void QPropertyEditorWidget::objectDestroyed(QObject* propertyObject)
{
    // The object is half gone: it is never read again. Its rows go by building
    // the tree anew from the objects still shown.
    m_objects.removeAll(propertyObject);
    m_model->clear();
    const QList<QObject*> remaining = m_objects;
    for (QObject* shown : remaining)
        m_model->addItem(shown);
    expandToDepth(0);
}
