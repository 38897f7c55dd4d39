#include "EnumProperty.h"

#include <QComboBox>
#include <QMetaEnum>
#include <QMetaProperty>

EnumProperty::EnumProperty(const QString& name, QObject* propertyObject, QObject* parent)
    : Property(name, propertyObject, parent)
{
    const QMetaEnum meta = enumerator();
    for (int i = 0; i < meta.keyCount(); ++i)
        m_keys.append(QString::fromLatin1(meta.key(i)));
}

QMetaEnum EnumProperty::enumerator() const
{
    QObject* object = propertyObject();
    if (!object)
        return QMetaEnum();
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(objectName().toLocal8Bit().constData());
    if (index < 0 || !meta->property(index).isEnumType())
        return QMetaEnum();
    return meta->property(index).enumerator();
}

QVariant EnumProperty::value(int role) const
{
    if (role != Qt::DisplayRole)
        return Property::value(role);
    if (!propertyObject())
        return QVariant();
    const QVariant raw = Property::value(role);
    const char* key = enumerator().valueToKey(raw.toInt());
    return key ? QVariant(QString::fromLatin1(key)) : QVariant(QString());
}

QWidget* EnumProperty::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/)
{
    auto* editor = new QComboBox(parent);
    editor->addItems(m_keys);
    // No key is chosen until the editor is loaded: a value without a key must
    // not turn into the first key when the editor closes.
    editor->setCurrentIndex(-1);
    connect(editor, &QComboBox::currentTextChanged, this, &EnumProperty::valueChanged);
    return editor;
}

void EnumProperty::valueChanged(const QString item)
{
    // Qt converts the key name to the enumeration value on write.
    setValue(QVariant(item));
}

QVariant EnumProperty::editorData(QWidget* editor)
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo || combo->currentIndex() < 0)
        return QVariant();
    return QVariant(combo->currentText());
}

bool EnumProperty::setEditorData(QWidget* editor, const QVariant& data)
{
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo)
        return false;
    const char* key = enumerator().valueToKey(data.toInt());
    if (!key)
        return false;
    const int index = combo->findText(QString::fromLatin1(key), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    // Loading shows the value; only the user's choice writes it.
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
    return true;
}
