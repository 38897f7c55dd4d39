#include "QPropertyModel.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QSet>

#include "AttributeProperty.h"
#include "EnumProperty.h"
#include "PointProperty.h"
#include "Property.h"

namespace {
const char* const kDynamicMark = "__Dynamic";

bool isDynamicRow(const QObject* row)
{
    return row->property(kDynamicMark).toBool();
}

// A true user type: Qt 6 gives enumerations types of their own, and floats
// are plain numbers here.
bool isCustomType(const QMetaProperty& property)
{
    return !property.isEnumType() && property.metaType().id() >= QMetaType::User;
}

bool isCustomType(const QVariant& value)
{
    return value.metaType().id() >= QMetaType::User
           && !(value.metaType().flags() & QMetaType::IsEnumeration);
}

// The class information entry of that name on the class or a base, or empty.
QString classInfo(const QMetaObject* meta, const char* name)
{
    const int index = meta->indexOfClassInfo(name);
    return index < 0 ? QString() : QString::fromLatin1(meta->classInfo(index).value());
}
}

QPropertyModel::QPropertyModel(QObject* parent)
    : QAbstractItemModel(parent)
    , m_rootItem(new Property(QStringLiteral("Root"), nullptr, this))
{
}

QPropertyModel::~QPropertyModel() = default;

Property* QPropertyModel::rowOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return m_rootItem;
    return static_cast<Property*>(index.internalPointer());
}

QModelIndex QPropertyModel::indexOf(Property* row, int column) const
{
    if (!row || row == m_rootItem)
        return QModelIndex();
    return createIndex(row->row(), column, row);
}

void QPropertyModel::addItem(QObject* propertyObject)
{
    if (!propertyObject)
        return;

    // Each property ends up under the highest class that lists it, at the
    // place where the most derived class lists it: base classes first.
    QList<PropertyPair> pairs;
    for (const QMetaObject* meta = propertyObject->metaObject(); meta; meta = meta->superClass()) {
        for (int i = 0; i < meta->propertyCount(); ++i) {
            const QMetaProperty property = meta->property(i);
            if (!property.isUser())
                continue;
            const PropertyPair pair(meta, property);
            const qsizetype at = pairs.indexOf(pair);
            if (at >= 0)
                pairs[at] = pair;
            else
                pairs.append(pair);
        }
    }

    QList<const QMetaObject*> classes;
    for (const QMetaObject* meta = propertyObject->metaObject(); meta; meta = meta->superClass()) {
        for (const PropertyPair& pair : pairs) {
            if (pair.object == meta) {
                classes.prepend(meta);
                break;
            }
        }
    }
    if (classes.isEmpty())
        return;

    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(classes.size()) - 1);
    Property* classRow = nullptr;
    for (const QMetaObject* meta : classes) {
        QString label = classInfo(meta, meta->className());
        if (label.isEmpty())
            label = QString::fromLatin1(meta->className());
        classRow = new Property(label, nullptr, m_rootItem);
        for (const PropertyPair& pair : pairs) {
            if (pair.object != meta)
                continue;
            const QMetaProperty& property = pair.property;
            const QString name = QString::fromLatin1(property.name());
            Property* row;
            if (property.isEnumType())
                row = new EnumProperty(name, propertyObject, classRow);
            else if (isCustomType(property) && !m_userCallbacks.isEmpty())
                row = makeCustomRow(name, propertyObject, classRow);
            else if (QByteArray(property.typeName()) == "QPointF")
                row = new PointProperty(name, propertyObject, classRow);
            else
                row = new Property(name, propertyObject, classRow);
            const QString hints = classInfo(meta, property.name());
            if (!hints.isEmpty())
                row->setEditorHints(hints);
        }
    }
    endInsertRows();

    addDynamicProperties(classRow, propertyObject);
    addAttributeRows(classRow, propertyObject);
}

void QPropertyModel::addAttributeRows(Property* parent, QObject* propertyObject)
{
    QStringList names = AttributeProperty::namesOf(propertyObject);
    names.removeIf([](const QString& name) { return name.startsWith(QLatin1Char('_')); });
    if (names.isEmpty())
        return;
    const int first = int(parent->children().size());
    beginInsertRows(indexOf(parent), first, first + int(names.size()) - 1);
    for (const QString& name : names)
        new AttributeProperty(name, propertyObject, parent);
    endInsertRows();
}

Property* QPropertyModel::makeCustomRow(const QString& name, QObject* propertyObject, Property* parent)
{
    for (UserTypeCB callback : m_userCallbacks) {
        if (Property* row = callback(name, propertyObject, parent))
            return row;
    }
    // Every announced row must exist, so a property no callback takes gets a plain row.
    return new Property(name, propertyObject, parent);
}

bool QPropertyModel::addDynamicProperties(Property* parent, QObject* propertyObject)
{
    if (!parent || !propertyObject)
        return false;

    QSet<QByteArray> shown;
    for (QObject* child : parent->children()) {
        if (isDynamicRow(child))
            shown.insert(child->objectName().toLocal8Bit());
    }
    QList<QByteArray> names;
    const QList<QByteArray> all = propertyObject->dynamicPropertyNames();
    for (const QByteArray& name : all) {
        if (!shown.contains(name) && !name.startsWith('_') && propertyObject->property(name.constData()).isValid())
            names.append(name);
    }
    if (names.isEmpty())
        return false;

    const int first = int(parent->children().size());
    beginInsertRows(indexOf(parent), first, first + int(names.size()) - 1);
    for (const QByteArray& name : names) {
        const QString text = QString::fromLocal8Bit(name);
        Property* row;
        if (isCustomType(propertyObject->property(name.constData())) && !m_userCallbacks.isEmpty())
            row = makeCustomRow(text, propertyObject, parent);
        else
            row = new Property(text, propertyObject, parent);
        row->setProperty(kDynamicMark, true);
    }
    endInsertRows();
    return true;
}

void QPropertyModel::updateItem(QObject* propertyObject, const QModelIndex& parent)
{
    if (!propertyObject)
        return;
    Property* start = rowOf(parent);
    Property* row = start->propertyObject() == propertyObject ? start : start->findPropertyObject(propertyObject);
    if (!row)
        return;
    // Views repaint only the rows inside a change, so every row of the object
    // is announced, not just the first one.
    if (row == start) {
        emit dataChanged(indexOf(row, 0), indexOf(row, 1));
        announceSubRows(row);
    } else {
        announceRows(start, propertyObject);
    }

    // The dynamic rows live under the object's last class row.
    Property* classRow = nullptr;
    for (QObject* child : m_rootItem->children()) {
        for (QObject* grandChild : child->children()) {
            auto* candidate = qobject_cast<Property*>(grandChild);
            if (candidate && candidate->propertyObject() == propertyObject) {
                classRow = static_cast<Property*>(child);
                break;
            }
        }
    }
    if (!classRow)
        return;

    const QList<QByteArray> names = propertyObject->dynamicPropertyNames();
    const QModelIndex classIndex = indexOf(classRow);
    const QObjectList children = classRow->children();
    int removed = 0;
    for (int i = 0; i < children.size(); ++i) {
        QObject* child = children.at(i);
        if (!isDynamicRow(child) || names.contains(child->objectName().toLocal8Bit()))
            continue;
        const int at = i - removed;
        beginRemoveRows(classIndex, at, at);
        delete child;
        endRemoveRows();
        ++removed;
    }
    addDynamicProperties(classRow, propertyObject);
}

void QPropertyModel::announceRows(Property* parent, QObject* propertyObject)
{
    const QObjectList& children = parent->children();
    int first = -1;
    int last = -1;
    for (int i = 0; i < children.size(); ++i) {
        auto* child = qobject_cast<Property*>(children.at(i));
        if (!child)
            continue;
        if (child->propertyObject() == propertyObject) {
            if (first < 0)
                first = i;
            last = i;
            announceSubRows(child);
        } else if (child->isRoot()) {
            announceRows(child, propertyObject);
        }
    }
    if (first >= 0)
        emit dataChanged(createIndex(first, 0, children.at(first)), createIndex(last, 1, children.at(last)));
}

void QPropertyModel::announceSubRows(Property* row)
{
    const QObjectList& children = row->children();
    int count = 0;
    for (QObject* child : children) {
        if (auto* sub = qobject_cast<Property*>(child)) {
            ++count;
            announceSubRows(sub);
        }
    }
    if (count > 0)
        emit dataChanged(createIndex(0, 0, children.first()),
                         createIndex(int(children.size()) - 1, 1, children.last()));
}

void QPropertyModel::clear()
{
    const int count = rowCount();
    if (count > 0)
        beginRemoveRows(QModelIndex(), 0, count - 1);
    delete m_rootItem;
    m_rootItem = new Property(QStringLiteral("Root"), nullptr, this);
    if (count > 0)
        endRemoveRows();
}

void QPropertyModel::registerCustomPropertyCB(UserTypeCB callback)
{
    if (callback && !m_userCallbacks.contains(callback))
        m_userCallbacks.append(callback);
}

void QPropertyModel::unregisterCustomPropertyCB(UserTypeCB callback)
{
    m_userCallbacks.removeAll(callback);
}

QModelIndex QPropertyModel::index(int row, int column, const QModelIndex& parent) const
{
    Property* parentRow = rowOf(parent);
    const QObjectList& children = parentRow->children();
    if (row < 0 || row >= children.size())
        return QModelIndex();
    auto* child = qobject_cast<Property*>(children.at(row));
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex QPropertyModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    auto* parentRow = qobject_cast<Property*>(rowOf(index)->parent());
    return indexOf(parentRow);
}

int QPropertyModel::rowCount(const QModelIndex& parent) const
{
    return int(rowOf(parent)->children().size());
}

int QPropertyModel::columnCount(const QModelIndex& /*parent*/) const
{
    return 2;
}

QVariant QPropertyModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    Property* row = rowOf(index);
    const bool nameColumn = index.column() == 0;
    switch (role) {
    case Qt::DisplayRole:
        if (nameColumn)
            return row->objectName().replace(QLatin1Char('_'), QLatin1Char(' '));
        {
            const QVariant value = row->value(Qt::DisplayRole);
            if (value.typeId() == QMetaType::Bool && value.toBool())
                return QStringLiteral("TRUE");
            return value;
        }
    case Qt::EditRole:
    case Qt::ToolTipRole:
        if (nameColumn)
            return row->objectName().replace(QLatin1Char('_'), QLatin1Char(' '));
        return row->value(role);
    case Qt::BackgroundRole:
        if (row->isRoot())
            return QApplication::palette("QTreeView").brush(QPalette::Active, QPalette::Button).color();
        return QVariant();
    case Qt::ForegroundRole:
        if (nameColumn)
            return QVariant();
        return QColor(row->value(Qt::ForegroundRole).toString());
    default:
        return QVariant();
    }
}

bool QPropertyModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    rowOf(index)->setValue(value);
    emit dataChanged(index, index);
    return true;
}

QVariant QPropertyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return tr("Name");
    if (section == 1)
        return tr("Value");
    return QVariant();
}

Qt::ItemFlags QPropertyModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsEnabled;
    Property* row = rowOf(index);
    if (row->isRoot())
        return Qt::ItemIsEnabled;
    // Greyed but selectable, so the value can still be read and copied.
    if (row->isReadOnly())
        return Qt::ItemIsDragEnabled | Qt::ItemIsSelectable;
    return Qt::ItemIsDragEnabled | Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QModelIndex QPropertyModel::buddy(const QModelIndex& index) const
{
    // Starting an edit on the name edits the value.
    if (index.isValid() && index.column() == 0)
        return createIndex(index.row(), 1, index.internalPointer());
    return index;
}
