#ifndef ENUMPROPERTY_H
#define ENUMPROPERTY_H

#include <QStringList>

#include "Property.h"

class QMetaEnum;

// Row of an enumeration property: shown by its key, edited with a combo box of
// the keys. The key list is empty when the property is not an enumeration.
class EnumProperty : public Property
{
    Q_OBJECT

public:
    EnumProperty(const QString& name = QString(), QObject* propertyObject = nullptr,
                 QObject* parent = nullptr);

    QVariant value(int role = Qt::UserRole) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option) override;
    QVariant editorData(QWidget* editor) override;
    bool setEditorData(QWidget* editor, const QVariant& data) override;

    QStringList keys() const { return m_keys; }

private slots:
    void valueChanged(const QString item);

private:
    // The enumerator of the bound property; invalid when there is none.
    QMetaEnum enumerator() const;

    QStringList m_keys;
};

#endif // ENUMPROPERTY_H
