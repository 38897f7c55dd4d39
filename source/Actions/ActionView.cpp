#include "Actions/ActionView.h"

#include "Actions/ActionItem.h"

#include <QIcon>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStandardItemModel>

ActionView::ActionView(QWidget* parent)
    : QTreeView(parent)
{
}

void ActionView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // Without a model the view has no selection model yet.
    const QModelIndex current = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    if (model() && current.isValid())
        model()->removeRow(current.row(), current.parent());
    event->accept();
}

QStandardItemModel* makeActionList(QObject* parent)
{
    const QString names[] = {
        DelayTimeActionItem::actionName(), EaseInOutActionItem::actionName(),
        MoveByActionItem::actionName(), MoveToActionItem::actionName(),
        RepeatActionItem::actionName(), RepeatForeverActionItem::actionName(),
        RotateByActionItem::actionName(), RotateToActionItem::actionName(),
        ScaleByActionItem::actionName(), ScaleToActionItem::actionName(),
        SequenceActionItem::actionName(), SpawnActionItem::actionName(),
        CollisionActionItem::actionName(),
    };
    auto* model = new QStandardItemModel(parent);
    const QIcon icon(QStringLiteral(":/images/action.png"));
    for (const QString& name : names) {
        auto* item = new QStandardItem(icon, name);
        item->setEditable(false);
        model->appendRow(item);
    }
    return model;
}
