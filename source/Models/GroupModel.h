#ifndef GROUPMODEL_H
#define GROUPMODEL_H

#include <QAbstractItemModel>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class GroupableItem;

// The "Groups" list: the canvas's groups as top-level rows, their items as
// children, and a "Showing" check box that switches items on and off. It reads
// the canvas's registry on every query and never copies its lists; the
// registry can shrink without a signal (an item deleted out of its group), so
// every lookup is checked against it. Group names change only with a signal
// or by being added, so the row of each name is kept until then.
class GroupModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    using GroupMap = QMap<QString, QList<GroupableItem*> >;

    // Internal id of a group row; item rows carry their group's row.
    static constexpr quintptr groupRowId = quintptr(-1);

    // groups belongs to the canvas and outlives the model.
    GroupModel(GroupMap* groups, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

public slots:
    void groupUpdated(QString oldGroup, QString newGroup);
    void groupsReset();

private:
    // The group of a group row, or of an item row's parent; null when the row
    // is no longer in the registry.
    const QList<GroupableItem*>* groupAt(int row) const;
    GroupableItem* itemAt(const QModelIndex& index) const;
    // The group names in row order; a view asks for every row, and walking the
    // map to each one made a list of n groups cost n * n.
    const QStringList& rowNames() const;

    GroupMap* groups; // not owned
    mutable QStringList m_rowNames;
    mutable qsizetype m_rowNamesFor = -1;
};

#endif // GROUPMODEL_H
