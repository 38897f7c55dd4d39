#ifndef QPROPERTYMODEL_H
#define QPROPERTYMODEL_H

#include <QAbstractItemModel>
#include <QList>
#include <QMetaProperty>

class Property;

// Makes the row of a property of a custom type under parent, or returns null.
typedef Property* (*UserTypeCB)(const QString& name, QObject* propertyObject, Property* parent);

// A user property and the class it is listed under while the rows are built.
struct PropertyPair
{
    PropertyPair(const QMetaObject* obj, QMetaProperty property)
        : property(property)
        , object(obj)
    {
    }

    // Pairs are the same property when their names are.
    bool operator==(const PropertyPair& other) const
    {
        return QByteArray(other.property.name()) == QByteArray(property.name());
    }

    QMetaProperty property;
    const QMetaObject* object;
};

// Two-column tree ("Name", "Value") of the user properties of the shown
// objects: one class row per declaring class, base classes first, holding the
// rows of that class's properties; the dynamic properties sit under the last
// class row, marked "__Dynamic", followed by the rows of the object's extra
// attributes. Values are read from and written to the
// objects live, never copied. The model owns its rows through the root row.
class QPropertyModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit QPropertyModel(QObject* parent = nullptr);
    ~QPropertyModel() override;

    // Appends the rows of one object after those already shown.
    void addItem(QObject* propertyObject);
    // Repaints the object's rows and adds or removes its dynamic rows; an
    // object that is not shown is ignored. An invalid parent means the whole tree.
    void updateItem(QObject* propertyObject, const QModelIndex& parent = QModelIndex());
    void clear();

    void registerCustomPropertyCB(UserTypeCB callback);
    void unregisterCustomPropertyCB(UserTypeCB callback);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // True for every edit, also when the object refused the value.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QModelIndex buddy(const QModelIndex& index) const override;

private:
    Property* rowOf(const QModelIndex& index) const;
    QModelIndex indexOf(Property* row, int column = 0) const;
    // The row made by the first callback that answers, else a plain row.
    Property* makeCustomRow(const QString& name, QObject* propertyObject, Property* parent);
    bool addDynamicProperties(Property* parent, QObject* propertyObject);
    // Rows for the texts the object keeps outside its Qt properties
    // (AttributeProperty), after its dynamic rows. Made once, with the object's
    // rows: only a reader changes those names, before the panel shows them.
    void addAttributeRows(Property* parent, QObject* propertyObject);
    // dataChanged over the rows under parent (class rows included) that show
    // the object, and over all of their sub-rows.
    void announceRows(Property* parent, QObject* propertyObject);
    void announceSubRows(Property* row);

    Property* m_rootItem;
    QList<UserTypeCB> m_userCallbacks;
};

#endif // QPROPERTYMODEL_H
