#ifndef ACTIONVIEW_H
#define ACTIONVIEW_H

#include <QTreeView>

class QStandardItemModel;

// The action editor: a tree view of the selected sprite's action model, in which
// Delete and Backspace remove the current row with everything below it.
class ActionView : public QTreeView
{
public:
    explicit ActionView(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The palette: one row per action kind, in palette order, dragged onto the
// editor by name. Owned by parent.
QStandardItemModel* makeActionList(QObject* parent);

#endif // ACTIONVIEW_H
