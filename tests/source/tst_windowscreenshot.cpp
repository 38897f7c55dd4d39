#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include "GuiTestMain.h"
#include "KFLevelEditor.h"
#include "ui_KFLevelEditor.h"
#include "Settings.h"
#include "Views/EditorView.h"

namespace {

bool nearColor(QColor a, QColor b, int tolerance = 24)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

// The window as a person sees it: a grab of the whole window with a level open,
// kept as window-screenshot.png in the test's working folder.
class TestWindowScreenshot : public QObject
{
    Q_OBJECT

private slots:
    void canvasShowsTheOpenLevel();
};

void TestWindowScreenshot::canvasShowsTheOpenLevel()
{
    Settings().clear();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QColor orange(255, 128, 0);
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(orange);
    const QString imagePath = dir.filePath(QStringLiteral("orange.png"));
    QVERIFY(image.save(imagePath));
    const QString level = dir.filePath(QStringLiteral("shot.kfml"));
    {
        QFile f(level);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<view left=\"-300\" bottom=\"-200\" right=\"300\" top=\"200\" "
                               "topColor=\"#3060c0\" midColor=\"#80a0e0\" bottomColor=\"#20a040\">"
                               "<item file=\"%1\" x=\"-100\" y=\"50\" z=\"1\"/></view>\n")
                    .arg(imagePath.toHtmlEscaped())
                    .toUtf8());
    }

    KFLevelEditor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.openFile(level);
    EditorView* canvas = window.form().editorView;
    // The scroll range follows the new level on the next pass of the event loop.
    QCoreApplication::processEvents();
    canvas->centerOn(0, 0);
    QCoreApplication::processEvents();

    const QPixmap shot = window.grab();
    const QString artefact = QDir::current().filePath(QStringLiteral("window-screenshot.png"));
    QVERIFY(shot.save(artefact));
    const QImage pixels = shot.toImage();
    const qreal dpr = shot.devicePixelRatio();
    auto colorAt = [&](QPointF scenePt) {
        const QPoint inWindow = canvas->viewport()->mapTo(&window, canvas->mapFromScene(scenePt));
        return pixels.pixelColor((QPointF(inWindow) * dpr).toPoint());
    };
    // The sprite where the level puts it, the level's background beside it.
    // (The sprite's centre carries its anchor mark.)
    for (const QPointF on : {QPointF(-90, 60), QPointF(-120, 30), QPointF(-75, 75)})
        QVERIFY2(nearColor(colorAt(on), orange), qPrintable(colorAt(on).name()));
    for (const QPointF away : {QPointF(150, -100), QPointF(-250, -150), QPointF(200, 150)})
        QVERIFY2(!nearColor(colorAt(away), orange, 60), qPrintable(colorAt(away).name()));
    // The background is a gradient: its top and bottom differ.
    QVERIFY(colorAt(QPointF(0, 190)) != colorAt(QPointF(0, -190)));
}

LEVELEDITOR_GUI_TEST_MAIN(TestWindowScreenshot)
#include "tst_windowscreenshot.moc"
