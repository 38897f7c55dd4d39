#include <QAbstractButton>
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "Models/SpriteListModel.h"
#include "Views/AnimationEditor.h"

namespace {

// A sheet model of frames of the given sizes, named f0, f1, ... with keys k0, k1, ...
SpriteListModel* sheetModel(const QList<QSize>& sizes, QObject* parent)
{
    auto* model = new SpriteListModel(parent);
    for (int i = 0; i < sizes.size(); ++i) {
        QPixmap image(sizes.at(i));
        image.fill(Qt::red);
        model->appendRow(new SpriteListModelItem(image, QStringLiteral("f%1").arg(i), QStringLiteral("k%1").arg(i)));
    }
    return model;
}

} // namespace

class TestAnimationEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void form();
    void chooseSheets();
    void framesByDoubleClick();
    void sheetSwitchEmptiesFrames();
    void previewTicks();
    void emptyPreviewStops();
    void closingStopsPreview_data();
    void closingStopsPreview();
    void okAcceptsDeleteRejects_data();
    void okAcceptsDeleteRejects();

private:
    template <typename W> W* child(const char* name) const { return dialog->findChild<W*>(name); }
    void tick() { QTimerEvent e(dialog->previewTimerId()); QCoreApplication::sendEvent(dialog, &e); }

    AnimationEditor* dialog = nullptr;
    SpriteListModel* frames = nullptr;
    SpriteListModel* first = nullptr;
    SpriteListModel* second = nullptr;
};

void TestAnimationEditor::init()
{
    dialog = new AnimationEditor;
    frames = new SpriteListModel(dialog);
    first = sheetModel({QSize(5, 4), QSize(8, 8)}, dialog);
    second = sheetModel({QSize(2, 2)}, dialog);
}

void TestAnimationEditor::cleanup()
{
    delete dialog;
    dialog = nullptr;
}

void TestAnimationEditor::form()
{
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Animation Editor"));
    QVERIFY(dialog->isModal());
    QCOMPARE(child<QComboBox>("comboBox")->count(), 0);
    QVERIFY(!child<QListView>("spriteList")->model());
    QSpinBox* interval = child<QSpinBox>("intervalSpinBox");
    QCOMPARE(interval->minimum(), 0);
    QCOMPARE(interval->maximum(), 99999);
    QCOMPARE(interval->value(), 200);
    QCOMPARE(child<QPushButton>("okButton")->text(), QStringLiteral("OK"));
    QCOMPARE(child<QPushButton>("deleteButton")->text(), QStringLiteral("Delete"));
    QCOMPARE(dialog->previewTimerId(), 0);
}

void TestAnimationEditor::chooseSheets()
{
    QList<SpriteListModel*> models{first, second};
    QStringList names{"one", "two"};
    dialog->setModels(models, names);
    QComboBox* box = child<QComboBox>("comboBox");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(1), QStringLiteral("two"));
    QCOMPARE(box->currentIndex(), 0);
    QCOMPARE(child<QListView>("spriteList")->model(), static_cast<QAbstractItemModel*>(first));

    // Replaced wholesale; an empty list leaves no model.
    QList<SpriteListModel*> none;
    QStringList noNames;
    dialog->setModels(none, noNames);
    QCOMPARE(box->count(), 0);
    QVERIFY(!child<QListView>("spriteList")->model());
}

// A double click on a sprite appends it as a frame (text, key, image); the same
// sprite twice gives two frames; a double click on a frame removes that row.
void TestAnimationEditor::framesByDoubleClick()
{
    QList<SpriteListModel*> models{first};
    QStringList names{"one"};
    dialog->setModels(models, names);
    dialog->setAnimationModel(frames);
    QCOMPARE(child<QListView>("framesList")->model(), static_cast<QAbstractItemModel*>(frames));

    QListView* sprites = child<QListView>("spriteList");
    emit sprites->doubleClicked(first->index(1, 0));
    emit sprites->doubleClicked(first->index(0, 0));
    emit sprites->doubleClicked(first->index(1, 0));
    QCOMPARE(frames->rowCount(), 3);
    const QModelIndex added = frames->index(1, 0);
    QCOMPARE(added.data(Qt::DisplayRole).toString(), QStringLiteral("f0"));
    QCOMPARE(added.data(Qt::ToolTipRole).toString(), QStringLiteral("k0"));
    QCOMPARE(added.data(SpritePixmapRole).value<QPixmap>().size(), QSize(5, 4));

    emit child<QListView>("framesList")->doubleClicked(frames->index(1, 0));
    QCOMPARE(frames->rowCount(), 2);
    QCOMPARE(frames->index(0, 0).data().toString(), QStringLiteral("f1"));
    QCOMPARE(frames->index(1, 0).data().toString(), QStringLiteral("f1"));
}

void TestAnimationEditor::sheetSwitchEmptiesFrames()
{
    QList<SpriteListModel*> models{first, second};
    QStringList names{"one", "two"};
    dialog->setAnimationModel(frames);
    dialog->setModels(models, names);
    emit child<QListView>("spriteList")->doubleClicked(first->index(0, 0));
    QCOMPARE(frames->rowCount(), 1);

    child<QComboBox>("comboBox")->setCurrentIndex(1);
    QCOMPARE(frames->rowCount(), 0);
    QCOMPARE(child<QListView>("spriteList")->model(), static_cast<QAbstractItemModel*>(second));
}

// One frame per tick from the first, centred on the origin (a 5 by 4 frame at
// (-2.5, -2)); the tick after the last frame stops and keeps the last frame.
void TestAnimationEditor::previewTicks()
{
    QList<SpriteListModel*> models{first};
    QStringList names{"one"};
    dialog->setModels(models, names);
    dialog->setAnimationModel(frames);
    emit child<QListView>("spriteList")->doubleClicked(first->index(0, 0));
    emit child<QListView>("spriteList")->doubleClicked(first->index(1, 0));

    child<QToolButton>("playButton")->click();
    QVERIFY(dialog->previewTimerId() != 0);
    const QGraphicsPixmapItem* shown = dialog->previewItem();
    QVERIFY(shown->pixmap().isNull());

    tick();
    QCOMPARE(shown->pixmap().size(), QSize(5, 4));
    QCOMPARE(shown->offset(), QPointF(-2.5, -2));
    tick();
    QCOMPARE(shown->offset(), QPointF(-4, -4));
    tick();
    QCOMPARE(dialog->previewTimerId(), 0);
    QCOMPARE(shown->pixmap().size(), QSize(8, 8));

    // Play again restarts from the first frame.
    child<QToolButton>("playButton")->click();
    tick();
    QCOMPARE(shown->pixmap().size(), QSize(5, 4));
    child<QToolButton>("stopButton")->click();
    QCOMPARE(dialog->previewTimerId(), 0);
    QCOMPARE(shown->pixmap().size(), QSize(5, 4));
}

void TestAnimationEditor::emptyPreviewStops()
{
    dialog->setAnimationModel(frames);
    child<QToolButton>("playButton")->click();
    tick();
    QCOMPARE(dialog->previewTimerId(), 0);
    QVERIFY(dialog->previewItem()->pixmap().isNull());

    // Without any frames model at all, too.
    dialog->setAnimationModel(nullptr);
    child<QToolButton>("playButton")->click();
    tick();
    QCOMPARE(dialog->previewTimerId(), 0);
}

void TestAnimationEditor::closingStopsPreview_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("delete") << QStringLiteral("deleteButton");
    QTest::newRow("ok") << QStringLiteral("okButton");
}

// The caller deletes or hands on the frames once the dialog closes: no tick may
// read them afterwards.
void TestAnimationEditor::closingStopsPreview()
{
    QFETCH(QString, button);
    QList<SpriteListModel*> models{first};
    QStringList names{"one"};
    dialog->setModels(models, names);
    auto* owned = new SpriteListModel;
    dialog->setAnimationModel(owned);
    emit child<QListView>("spriteList")->doubleClicked(first->index(0, 0));
    child<QToolButton>("playButton")->click();
    const int timer = dialog->previewTimerId();
    QVERIFY(timer != 0);

    dialog->show();
    child<QPushButton>(qPrintable(button))->click();
    QCOMPARE(dialog->previewTimerId(), 0);
    delete owned;
    QVERIFY(!dialog->animationModel());

    QTimerEvent stale(timer);
    QCoreApplication::sendEvent(dialog, &stale);
    child<QToolButton>("playButton")->click();
    tick();
    QCOMPARE(dialog->previewTimerId(), 0);
}

void TestAnimationEditor::okAcceptsDeleteRejects_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << QStringLiteral("okButton") << int(QDialog::Accepted);
    QTest::newRow("delete") << QStringLiteral("deleteButton") << int(QDialog::Rejected);
}

// Run modally as the main window does; the frames stay as they were.
void TestAnimationEditor::okAcceptsDeleteRejects()
{
    QFETCH(QString, button);
    QFETCH(int, result);
    QList<SpriteListModel*> models{first};
    QStringList names{"one"};
    dialog->setAnimationModel(frames);
    dialog->setModels(models, names);
    emit child<QListView>("spriteList")->doubleClicked(first->index(0, 0));
    QTimer::singleShot(0, this, [this, button]() {
        auto* modal = qobject_cast<AnimationEditor*>(QApplication::activeModalWidget());
        QVERIFY(modal);
        modal->findChild<QPushButton*>(button)->click();
    });
    QCOMPARE(dialog->exec(), result);
    QCOMPARE(frames->rowCount(), 1);
}

QTEST_MAIN(TestAnimationEditor)
#include "tst_animationeditor.moc"
