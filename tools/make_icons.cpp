// Draws the editor's embedded icons. Run through scripts/make-icons.sh, which
// builds this file and writes the PNGs into source/images/.
#include <QGuiApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QColor ink(40, 44, 52);
const QColor shapeBlue(0, 100, 255);
const QColor jointPurple(150, 0, 200);
const QColor accent(230, 120, 20);

struct Icon
{
    const char* name;
    int size;
    std::function<void(QPainter&)> draw; // draws on a 32 by 32 grid, scaled to size
};

QPen pen(const QColor& c, qreal w = 2.5)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void dot(QPainter& p, QPointF c, qreal r, const QColor& fill)
{
    p.setPen(pen(ink, 1.5));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
}

// Two bodies joined by something drawn between a and b.
void jointEnds(QPainter& p, QPointF a, QPointF b)
{
    dot(p, a, 4, QColor(255, 220, 60));
    dot(p, b, 4, QColor(255, 220, 60));
}

void zigzag(QPainter& p, QPointF a, QPointF b, int turns, qreal amp)
{
    QLineF l(a, b);
    QPointF n = QPointF(-(b - a).y(), (b - a).x()) / l.length();
    QPainterPath path(a);
    for (int i = 1; i < turns * 2; ++i) {
        QPointF at = a + (b - a) * (qreal(i) / (turns * 2));
        path.lineTo(at + n * (i % 2 ? amp : -amp));
    }
    path.lineTo(b);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void gearShape(QPainter& p, QPointF c, qreal r, int teeth, const QColor& fill)
{
    QPainterPath path;
    for (int i = 0; i < teeth * 2; ++i) {
        qreal a0 = (i * M_PI) / teeth;
        qreal a1 = ((i + 1) * M_PI) / teeth;
        qreal rr = (i % 2) ? r * 0.72 : r;
        QPointF p0 = c + QPointF(qCos(a0), qSin(a0)) * rr;
        QPointF p1 = c + QPointF(qCos(a1), qSin(a1)) * rr;
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    p.setPen(pen(ink, 1.2));
    p.setBrush(fill);
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.drawEllipse(c, r * 0.28, r * 0.28);
}

void arrowCursor(QPainter& p, const QColor& fill)
{
    QPolygonF poly({QPointF(6, 3), QPointF(6, 26), QPointF(12, 20), QPointF(16, 29),
                    QPointF(20, 27), QPointF(16, 19), QPointF(24, 19)});
    p.setPen(pen(ink, 1.8));
    p.setBrush(fill);
    p.drawPolygon(poly);
}

void letter(QPainter& p, const QString& text, int px, const QColor& c, QRectF box = QRectF(0, 0, 32, 32))
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(px);
    p.setFont(f);
    p.setPen(c);
    p.drawText(box, Qt::AlignCenter, text);
}

void page(QPainter& p, const QColor& fill)
{
    p.setPen(pen(ink, 1.5));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(6, 3, 20, 26), 2, 2);
}

QList<Icon> icons()
{
    return {
        {"KF", 32, [](QPainter& p) {
             QLinearGradient g(0, 0, 32, 32);
             g.setColorAt(0, QColor(40, 120, 220));
             g.setColorAt(1, QColor(20, 50, 120));
             p.setPen(Qt::NoPen);
             p.setBrush(g);
             p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
             letter(p, QStringLiteral("KF"), 15, Qt::white);
         }},
        {"action", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(90, 200, 110));
             p.drawEllipse(QRectF(3, 3, 26, 26));
             p.setBrush(Qt::white);
             p.drawPolygon(QPolygonF({QPointF(12, 9), QPointF(23, 16), QPointF(12, 23)}));
         }},
        {"actionparam", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(250, 210, 90));
             p.drawRoundedRect(QRectF(4, 8, 24, 16), 4, 4);
             p.setPen(pen(ink, 2.5));
             p.drawLine(QPointF(10, 16), QPointF(22, 16));
         }},
        {"arrow", 16, [](QPainter& p) { arrowCursor(p, Qt::white); }},
        {"bluearrowup", 32, [](QPainter& p) {
             p.setPen(pen(QColor(20, 60, 160), 1.5));
             p.setBrush(QColor(60, 130, 240));
             p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(29, 17), QPointF(21, 17), QPointF(21, 29),
                                      QPointF(11, 29), QPointF(11, 17), QPointF(3, 17)}));
         }},
        {"circle", 16, [](QPainter& p) {
             p.setPen(pen(ink, 2));
             p.setBrush(QColor(shapeBlue.red(), shapeBlue.green(), shapeBlue.blue(), 200));
             p.drawEllipse(QRectF(4, 4, 24, 24));
             p.drawLine(QPointF(16, 16), QPointF(28, 16));
         }},
        {"colormarker", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(220, 40, 60));
             p.drawEllipse(QRectF(4, 4, 24, 24));
             letter(p, QStringLiteral("1"), 14, Qt::white);
         }},
        {"font", 16, [](QPainter& p) { letter(p, QStringLiteral("A"), 28, ink); }},
        {"gear", 16, [](QPainter& p) {
             gearShape(p, QPointF(12, 12), 10, 8, QColor(170, 170, 180));
             gearShape(p, QPointF(23, 23), 8, 7, QColor(120, 160, 220));
         }},
        {"grayLinen", 64, [](QPainter& p) {
             // A quiet tile for the canvas backdrop; seeded so every run draws the same.
             p.fillRect(QRectF(0, 0, 32, 32), QColor(92, 94, 98));
             QRandomGenerator rng(7);
             for (int i = 0; i < 160; ++i) {
                 const int shade = 80 + int(rng.bounded(30));
                 p.setPen(QPen(QColor(shade, shade + 2, shade + 6, 110), 0.5));
                 const qreal y = rng.bounded(32.0);
                 const qreal x = rng.bounded(32.0);
                 if (i % 2)
                     p.drawLine(QPointF(x, y), QPointF(x + 4, y));
                 else
                     p.drawLine(QPointF(x, y), QPointF(x, y + 4));
             }
         }},
        {"groove", 16, [](QPainter& p) {
             p.setPen(QPen(ink, 2, Qt::DashLine, Qt::RoundCap));
             p.drawLine(QPointF(4, 24), QPointF(28, 24));
             p.setPen(pen(jointPurple, 2.5));
             p.drawLine(QPointF(16, 6), QPointF(16, 24));
             jointEnds(p, QPointF(16, 6), QPointF(16, 24));
         }},
        {"line", 16, [](QPainter& p) {
             p.setPen(pen(ink, 3));
             p.drawLine(QPointF(5, 27), QPointF(27, 5));
             p.setPen(pen(ink, 1));
             p.setBrush(Qt::white);
             p.drawRect(QRectF(2, 24, 6, 6));
             p.drawRect(QRectF(24, 2, 6, 6));
         }},
        {"motor", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(200, 80, 60));
             p.drawEllipse(QRectF(5, 5, 22, 22));
             p.setPen(pen(Qt::white, 2.5));
             p.drawArc(QRectF(10, 10, 12, 12), 30 * 16, 270 * 16);
             p.setBrush(Qt::white);
             p.setPen(Qt::NoPen);
             p.drawPolygon(QPolygonF({QPointF(21, 8), QPointF(25, 14), QPointF(18, 14)}));
         }},
        {"path", 16, [](QPainter& p) {
             QPainterPath path(QPointF(4, 26));
             path.cubicTo(QPointF(10, 2), QPointF(20, 30), QPointF(28, 6));
             p.setPen(pen(QColor(30, 140, 90), 3));
             p.setBrush(Qt::NoBrush);
             p.drawPath(path);
             dot(p, QPointF(4, 26), 2.5, Qt::white);
             dot(p, QPointF(28, 6), 2.5, Qt::white);
         }},
        {"pause", 32, [](QPainter& p) {
             p.setPen(Qt::NoPen);
             p.setBrush(ink);
             p.drawRoundedRect(QRectF(8, 6, 6, 20), 1.5, 1.5);
             p.drawRoundedRect(QRectF(18, 6, 6, 20), 1.5, 1.5);
         }},
        {"physicsarrow", 16, [](QPainter& p) {
             arrowCursor(p, QColor(shapeBlue.red(), shapeBlue.green(), shapeBlue.blue(), 220));
         }},
        {"pin", 16, [](QPainter& p) {
             p.setPen(pen(jointPurple, 3));
             p.drawLine(QPointF(7, 25), QPointF(25, 7));
             jointEnds(p, QPointF(7, 25), QPointF(25, 7));
         }},
        {"pivot", 16, [](QPainter& p) {
             p.setPen(pen(ink, 2));
             p.setBrush(QColor(170, 170, 180));
             p.drawRect(QRectF(4, 13, 24, 6));
             dot(p, QPointF(16, 16), 5, QColor(255, 220, 60));
             dot(p, QPointF(16, 16), 1.5, ink);
         }},
        {"play", 32, [](QPainter& p) {
             p.setPen(pen(QColor(20, 110, 40), 1.5));
             p.setBrush(QColor(60, 180, 80));
             p.drawPolygon(QPolygonF({QPointF(9, 5), QPointF(27, 16), QPointF(9, 27)}));
         }},
        {"poly", 16, [](QPainter& p) {
             p.setPen(pen(ink, 2));
             p.setBrush(QColor(shapeBlue.red(), shapeBlue.green(), shapeBlue.blue(), 200));
             p.drawPolygon(QPolygonF({QPointF(16, 3), QPointF(29, 12), QPointF(24, 28),
                                      QPointF(8, 28), QPointF(3, 12)}));
         }},
        {"rachet", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(170, 170, 180));
             QPainterPath path;
             for (int i = 0; i < 8; ++i) {
                 qreal a0 = i * M_PI / 4;
                 qreal a1 = (i + 1) * M_PI / 4;
                 QPointF outer = QPointF(16, 16) + QPointF(qCos(a0), qSin(a0)) * 13;
                 QPointF inner = QPointF(16, 16) + QPointF(qCos(a1), qSin(a1)) * 8;
                 if (i == 0)
                     path.moveTo(outer);
                 else
                     path.lineTo(outer);
                 path.lineTo(inner);
             }
             path.closeSubpath();
             p.drawPath(path);
             p.setPen(pen(accent, 2.5));
             p.drawLine(QPointF(16, 16), QPointF(29, 4));
         }},
        {"rotarylimit", 16, [](QPainter& p) {
             p.setPen(pen(jointPurple, 3));
             p.drawArc(QRectF(5, 5, 22, 22), 200 * 16, -220 * 16);
             p.setPen(pen(ink, 3));
             p.drawLine(QPointF(16, 16), QPointF(5, 20));
             p.drawLine(QPointF(16, 16), QPointF(27, 20));
             dot(p, QPointF(16, 16), 3, QColor(255, 220, 60));
         }},
        {"rotaryspring", 16, [](QPainter& p) {
             QPainterPath path;
             for (int i = 0; i <= 60; ++i) {
                 qreal t = i / 60.0;
                 qreal a = t * 3 * 2 * M_PI;
                 QPointF at = QPointF(16, 16) + QPointF(qCos(a), qSin(a)) * (2 + 12 * t);
                 if (i == 0)
                     path.moveTo(at);
                 else
                     path.lineTo(at);
             }
             p.setPen(pen(jointPurple, 2));
             p.setBrush(Qt::NoBrush);
             p.drawPath(path);
         }},
        {"segment", 16, [](QPainter& p) {
             p.setPen(QPen(QColor(shapeBlue.red(), shapeBlue.green(), shapeBlue.blue(), 200), 7, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(6, 26), QPointF(26, 6));
             p.setPen(pen(ink, 1.5));
             p.drawLine(QPointF(6, 26), QPointF(26, 6));
         }},
        {"shape_handles", 16, [](QPainter& p) {
             QLinearGradient g(0, 4, 0, 28);
             g.setColorAt(0, QColor(120, 180, 255));
             g.setColorAt(0.5, QColor(250, 250, 250));
             g.setColorAt(1, QColor(90, 160, 80));
             p.setPen(pen(ink, 1.5));
             p.setBrush(g);
             p.drawRect(QRectF(5, 5, 22, 22));
             p.setBrush(Qt::white);
             for (QPointF c : {QPointF(5, 5), QPointF(27, 5), QPointF(5, 27), QPointF(27, 27)})
                 p.drawRect(QRectF(c - QPointF(3, 3), QSizeF(6, 6)));
         }},
        {"sliding", 16, [](QPainter& p) {
             p.setPen(pen(ink, 2));
             p.setBrush(QColor(200, 200, 210));
             p.drawRect(QRectF(4, 12, 24, 8));
             p.setPen(pen(jointPurple, 3));
             p.drawLine(QPointF(8, 16), QPointF(24, 16));
             jointEnds(p, QPointF(8, 16), QPointF(24, 16));
         }},
        {"spring", 16, [](QPainter& p) {
             p.setPen(pen(jointPurple, 2));
             zigzag(p, QPointF(5, 27), QPointF(27, 5), 5, 4);
             jointEnds(p, QPointF(5, 27), QPointF(27, 5));
         }},
        {"stop", 32, [](QPainter& p) {
             p.setPen(pen(QColor(140, 20, 20), 1.5));
             p.setBrush(QColor(210, 50, 50));
             p.drawRoundedRect(QRectF(7, 7, 18, 18), 2, 2);
         }},
        {"triangle_fan", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(250, 170, 60, 200));
             QPointF c(16, 16);
             QList<QPointF> ring;
             for (int i = 0; i < 6; ++i)
                 ring << c + QPointF(qCos(i * M_PI / 3), qSin(i * M_PI / 3)) * 13;
             p.drawPolygon(QPolygonF(ring));
             for (QPointF r : ring)
                 p.drawLine(c, r);
         }},
        {"triangle_strip", 16, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(110, 200, 120, 200));
             const QList<QPointF> top = {QPointF(3, 8), QPointF(13, 8), QPointF(23, 8)};
             const QList<QPointF> bot = {QPointF(8, 24), QPointF(18, 24), QPointF(28, 24)};
             p.drawPolygon(QPolygonF({top[0], top[2], bot[2], bot[0]}));
             for (int i = 0; i < 3; ++i) {
                 p.drawLine(top[i], bot[i]);
                 if (i < 2)
                     p.drawLine(bot[i], top[i + 1]);
             }
         }},
        // Pictures for the file commands.
        {"new", 32, [](QPainter& p) {
             page(p, Qt::white);
             letter(p, QStringLiteral("+"), 18, QColor(40, 150, 60));
         }},
        {"open", 32, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(240, 200, 90));
             p.drawPolygon(QPolygonF({QPointF(3, 9), QPointF(12, 9), QPointF(15, 12), QPointF(29, 12),
                                      QPointF(29, 27), QPointF(3, 27)}));
         }},
        {"save", 32, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(60, 90, 160));
             p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(9, 4, 14, 9));
             p.drawRect(QRectF(8, 18, 16, 10));
         }},
        {"saveas", 32, [](QPainter& p) {
             p.setPen(pen(ink, 1.5));
             p.setBrush(QColor(60, 90, 160));
             p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
             p.setBrush(Qt::white);
             p.drawRect(QRectF(9, 4, 14, 9));
             p.setPen(pen(accent, 3));
             p.drawLine(QPointF(13, 26), QPointF(27, 12));
         }},
        {"reload", 32, [](QPainter& p) {
             p.setPen(pen(QColor(40, 120, 200), 3.5));
             p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
             p.setPen(Qt::NoPen);
             p.setBrush(QColor(40, 120, 200));
             p.drawPolygon(QPolygonF({QPointF(17, 1), QPointF(25, 7), QPointF(17, 12)}));
         }},
        {"clear", 32, [](QPainter& p) {
             page(p, Qt::white);
             p.setPen(pen(QColor(200, 40, 40), 3));
             p.drawLine(QPointF(11, 10), QPointF(21, 22));
             p.drawLine(QPointF(21, 10), QPointF(11, 22));
         }},
    };
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const Icon& icon : icons()) {
        QImage image(icon.size, icon.size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(icon.size / 32.0, icon.size / 32.0);
        icon.draw(p);
        p.end();
        const QString file = out.filePath(QString::fromLatin1(icon.name) + QStringLiteral(".png"));
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
