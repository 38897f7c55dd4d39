#include "AttributeProperty.h"

namespace {

QMetaMethod methodOf(const QObject* object, const char* signature)
{
    if (!object)
        return QMetaMethod();
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfMethod(signature);
    return index < 0 ? QMetaMethod() : meta->method(index);
}

} // namespace

AttributeProperty::AttributeProperty(const QString& name, QObject* propertyObject, QObject* parent)
    : Property(name, propertyObject, parent)
    , m_read(methodOf(propertyObject, "extraAttribute(QString)"))
    , m_write(methodOf(propertyObject, "setExtraAttribute(QString,QString)"))
{
}

QStringList AttributeProperty::namesOf(QObject* propertyObject)
{
    QStringList names;
    const QMetaMethod list = methodOf(propertyObject, "extraAttributeNames()");
    if (list.isValid())
        list.invoke(propertyObject, Qt::DirectConnection, Q_RETURN_ARG(QStringList, names));
    return names;
}

QVariant AttributeProperty::value(int /*role*/) const
{
    QObject* object = propertyObject();
    if (!object || !m_read.isValid())
        return QVariant();
    QString text;
    m_read.invoke(object, Qt::DirectConnection, Q_RETURN_ARG(QString, text), Q_ARG(QString, objectName()));
    return text;
}

void AttributeProperty::setValue(const QVariant& value)
{
    QObject* object = propertyObject();
    if (object && m_write.isValid())
        m_write.invoke(object, Qt::DirectConnection, Q_ARG(QString, objectName()), Q_ARG(QString, value.toString()));
}

bool AttributeProperty::isReadOnly() const
{
    return !propertyObject() || !m_write.isValid();
}
