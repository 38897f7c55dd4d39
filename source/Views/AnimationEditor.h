#ifndef ANIMATIONEDITOR_H
#define ANIMATIONEDITOR_H

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>

class QGraphicsPixmapItem;
class QTimerEvent;
class SpriteListModel;
class Ui_AnimationEditor;

// The modal dialog that builds a frame animation from one sprite sheet's frames
// and previews it on a timer. Neither the frames model nor the sheets' models
// are owned: the caller keeps or deletes the frames after the dialog closes.
class AnimationEditor : public QDialog
{
    Q_OBJECT
public:
    explicit AnimationEditor(QWidget* parent = nullptr);
    ~AnimationEditor() override;

    void setAnimationModel(SpriteListModel* model);
    void setModels(QList<SpriteListModel*>& models, QStringList& names);

    SpriteListModel* animationModel() const;
    // The running preview's timer, 0 when stopped.
    int previewTimerId() const { return timerId; }
    const QGraphicsPixmapItem* previewItem() const { return pixmapItem; }

    // Closing, by OK or Delete, ends the preview.
    void done(int result) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private slots:
    void addFrame(QModelIndex index);
    void removeFrame(QModelIndex index);
    void startAnimation();
    void stopAnimation();
    void spriteSheetChanged(int index);

private:
    Ui_AnimationEditor* ui;
    // Guarded: the caller may delete the frames while the dialog stays around.
    QPointer<SpriteListModel> m_animationModel;
    QList<QPointer<SpriteListModel> > models;
    QStringList names;
    QGraphicsPixmapItem* pixmapItem; // owned by the preview scene
    int timerId = 0;
    int frameIndex = 0;
};

#endif // ANIMATIONEDITOR_H
