#include "Views/AnimationListView.h"

#include "Models/SpriteListModel.h"

AnimationListView::AnimationListView(QWidget* parent)
    : QListView(parent)
    , m_model(new SpriteListModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
}
