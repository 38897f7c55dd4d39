#ifndef ATTRIBUTEPROPERTY_H
#define ATTRIBUTEPROPERTY_H

#include <QMetaMethod>

#include "Property.h"

// A text row for one of the named texts that an object keeps outside its Qt
// properties (a level element's attributes that no reader knows). The object
// offers them through three invokable functions:
//   QStringList extraAttributeNames() const
//   QString extraAttribute(const QString& name) const
//   void setExtraAttribute(const QString& name, const QString& value)
// Owned by its parent row, like every row; the object is only watched.
class AttributeProperty : public Property
{
    Q_OBJECT

public:
    AttributeProperty(const QString& name, QObject* propertyObject, QObject* parent);

    // The object's names, empty when it offers no such texts.
    static QStringList namesOf(QObject* propertyObject);

    QVariant value(int role = Qt::UserRole) const override;
    void setValue(const QVariant& value) override;
    bool isReadOnly() const override;

private:
    QMetaMethod m_read;
    QMetaMethod m_write;
};

#endif // ATTRIBUTEPROPERTY_H
