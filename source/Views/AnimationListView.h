#ifndef ANIMATIONLISTVIEW_H
#define ANIMATIONLISTVIEW_H

#include <QListView>

class SpriteListModel;

// The list of frame animations built in the animation editor. Owns its model,
// whose entries own their frames.
class AnimationListView : public QListView
{
    Q_OBJECT
public:
    explicit AnimationListView(QWidget* parent = nullptr);

    SpriteListModel* itemModel() const { return m_model; }

private:
    SpriteListModel* m_model;
};

#endif // ANIMATIONLISTVIEW_H
