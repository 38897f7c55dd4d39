#include "Views/AnimationEditor.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPixmap>
#include <QTimerEvent>

#include "Models/SpriteListModel.h"
#include "ui_AnimationEditor.h"

AnimationEditor::AnimationEditor(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui_AnimationEditor)
{
    ui->setupUi(this);
    auto* preview = new QGraphicsScene(ui->graphicsView);
    ui->graphicsView->setScene(preview);
    pixmapItem = new QGraphicsPixmapItem;
    preview->addItem(pixmapItem);

    connect(ui->spriteList, &QAbstractItemView::doubleClicked, this, &AnimationEditor::addFrame);
    connect(ui->framesList, &QAbstractItemView::doubleClicked, this, &AnimationEditor::removeFrame);
    connect(ui->playButton, &QAbstractButton::clicked, this, &AnimationEditor::startAnimation);
    connect(ui->stopButton, &QAbstractButton::clicked, this, &AnimationEditor::stopAnimation);
    connect(ui->comboBox, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &AnimationEditor::spriteSheetChanged);
}

AnimationEditor::~AnimationEditor()
{
    stopAnimation();
    delete ui;
}

SpriteListModel* AnimationEditor::animationModel() const
{
    return m_animationModel;
}

void AnimationEditor::setAnimationModel(SpriteListModel* model)
{
    m_animationModel = model;
    ui->framesList->setModel(model);
}

void AnimationEditor::setModels(QList<SpriteListModel*>& newModels, QStringList& newNames)
{
    models.clear();
    for (SpriteListModel* model : newModels)
        models.append(model);
    names = newNames;
    ui->comboBox->clear();
    ui->comboBox->addItems(names);
    ui->comboBox->setCurrentIndex(0);
    ui->spriteList->setModel(models.isEmpty() ? nullptr : models.first().data());
}

void AnimationEditor::addFrame(QModelIndex index)
{
    if (!m_animationModel || !index.isValid())
        return;
    const QString name = index.data(Qt::DisplayRole).toString();
    const QString key = index.data(Qt::ToolTipRole).toString();
    const QPixmap image = index.data(SpritePixmapRole).value<QPixmap>();
    auto* frame = new SpriteListModelItem(image, name, key);
    frame->setToolTip(key);
    m_animationModel->appendRow(frame);
}

void AnimationEditor::removeFrame(QModelIndex index)
{
    if (!m_animationModel || !index.isValid())
        return;
    m_animationModel->removeRow(index.row());
}

void AnimationEditor::spriteSheetChanged(int index)
{
    if (m_animationModel)
        m_animationModel->clear();
    if (index >= 0 && index < models.size())
        ui->spriteList->setModel(models.at(index).data());
}

void AnimationEditor::startAnimation()
{
    stopAnimation();
    frameIndex = 0;
    timerId = startTimer(ui->intervalSpinBox->value());
}

void AnimationEditor::stopAnimation()
{
    if (timerId != 0)
        killTimer(timerId);
    timerId = 0;
}

void AnimationEditor::done(int result)
{
    stopAnimation();
    QDialog::done(result);
}

void AnimationEditor::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId || timerId == 0) {
        QDialog::timerEvent(event);
        return;
    }
    if (m_animationModel && frameIndex < m_animationModel->rowCount()) {
        const QPixmap image =
            m_animationModel->data(m_animationModel->index(frameIndex, 0), SpritePixmapRole).value<QPixmap>();
        pixmapItem->setPixmap(image);
        // Centred on the scene origin; an odd size gives a half-pixel offset.
        pixmapItem->setOffset(-image.width() / 2.0, -image.height() / 2.0);
        ++frameIndex;
    } else {
        stopAnimation();
    }
    QDialog::timerEvent(event);
}
