#include "Property.h"

#include <QDoubleSpinBox>
#include <QMetaProperty>
#include <QSpinBox>

#include "ColorCombo.h"

namespace {
// One short of INT_MIN keeps the range symmetric.
constexpr int kEditorMinimum = -2147483647;
constexpr int kEditorMaximum = 2147483647;
constexpr int kDecimals = 30;

bool isNumber(int typeId)
{
    return typeId == QMetaType::Double || typeId == QMetaType::Float;
}
}

Property::Property(const QString& name, QObject* propertyObject, QObject* parent)
    : QObject(parent)
    , m_propertyObject(propertyObject)
{
    setObjectName(name);
}

QVariant Property::value(int /*role*/) const
{
    if (!m_propertyObject)
        return QVariant();
    return m_propertyObject->property(objectName().toLocal8Bit().constData());
}

void Property::setValue(const QVariant& value)
{
    // A refused value is ignored: the row shows the unchanged value next time.
    if (m_propertyObject)
        m_propertyObject->setProperty(objectName().toLocal8Bit().constData(), value);
}

void Property::setValue(int value)
{
    setValue(QVariant(value));
}

void Property::setValue(double value)
{
    setValue(QVariant(value));
}

bool Property::isReadOnly() const
{
    if (!m_propertyObject)
        return true;
    const QByteArray name = objectName().toLocal8Bit();
    const QMetaObject* meta = m_propertyObject->metaObject();
    const int index = meta->indexOfProperty(name.constData());
    if (index >= 0)
        return !meta->property(index).isWritable();
    // A dynamic property can always be written. Asked on every paint of the
    // row: the property is looked up, the list of names is not copied.
    return !m_propertyObject->property(name.constData()).isValid();
}

int Property::row() const
{
    QObject* owner = parent();
    return owner ? int(owner->children().indexOf(const_cast<Property*>(this))) : -1;
}

Property* Property::findPropertyObject(QObject* propertyObject)
{
    if (!propertyObject)
        return nullptr;
    if (m_propertyObject == propertyObject)
        return this;
    for (QObject* child : children()) {
        if (auto* row = qobject_cast<Property*>(child)) {
            if (Property* found = row->findPropertyObject(propertyObject))
                return found;
        }
    }
    return nullptr;
}

QWidget* Property::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/)
{
    const int type = value(Qt::UserRole).typeId();
    if (type == QMetaType::Int) {
        auto* editor = new QSpinBox(parent);
        editor->setProperty("minimum", kEditorMinimum);
        editor->setProperty("maximum", kEditorMaximum);
        // Every step writes the object at once, before the edit is committed.
        connect(editor, qOverload<int>(&QSpinBox::valueChanged), this,
                qOverload<int>(&Property::setValue));
        return editor;
    }
    if (isNumber(type)) {
        auto* editor = new QDoubleSpinBox(parent);
        editor->setProperty("minimum", kEditorMinimum);
        editor->setProperty("maximum", kEditorMaximum);
        editor->setProperty("decimals", kDecimals);
        connect(editor, qOverload<double>(&QDoubleSpinBox::valueChanged), this,
                qOverload<double>(&Property::setValue));
        return editor;
    }
    if (type == QMetaType::QColor)
        return new ColorCombo(parent);
    return nullptr;
}

QVariant Property::editorData(QWidget* editor)
{
    const int type = value(Qt::UserRole).typeId();
    if (type == QMetaType::Int) {
        if (auto* spin = qobject_cast<QSpinBox*>(editor))
            return QVariant(spin->value());
    } else if (type == QMetaType::QColor) {
        if (auto* combo = qobject_cast<ColorCombo*>(editor))
            return QVariant(combo->color());
    } else if (isNumber(type)) {
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(editor))
            return QVariant(spin->value());
    }
    return QVariant();
}

bool Property::setEditorData(QWidget* editor, const QVariant& data)
{
    const int type = value(Qt::UserRole).typeId();
    if (type == QMetaType::Int) {
        auto* spin = qobject_cast<QSpinBox*>(editor);
        if (!spin)
            return false;
        // Blocked so that loading does not write back through the live connection.
        const QSignalBlocker blocker(spin);
        spin->setValue(data.toInt());
        return true;
    }
    if (type == QMetaType::QColor) {
        auto* combo = qobject_cast<ColorCombo*>(editor);
        if (!combo)
            return false;
        combo->setColor(data.value<QColor>());
        return true;
    }
    if (isNumber(type)) {
        auto* spin = qobject_cast<QDoubleSpinBox*>(editor);
        if (!spin)
            return false;
        const QSignalBlocker blocker(spin);
        spin->setValue(data.toDouble());
        return true;
    }
    return false;
}
