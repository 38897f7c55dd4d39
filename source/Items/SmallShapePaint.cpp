#include "Items/SmallShapePaint.h"

#include <QBrush>
#include <QGraphicsEllipseItem>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QStyleOptionGraphicsItem>
#include <QTransform>

#include <cmath>

namespace {

// Rows of a band: an antialiased edge gives a few spans a row.
const int kBandRows = 12;
// Above this many device rows a shape is drawn in one pass.
const int kMostRows = 6 * kBandRows;

bool translucent(const QPen& pen, const QBrush& brush)
{
    return (pen.style() != Qt::NoPen && pen.color().alpha() < 255)
        || (brush.style() != Qt::NoBrush && brush.color().alpha() < 255);
}

} // namespace

void paintInBands(QPainter* painter, const QRectF& bounds, const QPen& pen, const QBrush& brush,
                  const std::function<void()>& draw)
{
    const QRect device = painter->worldTransform().mapRect(bounds).toAlignedRect().adjusted(-1, -1, 1, 1);
    const bool opaque = !translucent(pen, brush) && painter->opacity() >= 1.0;
    if (opaque || device.height() <= kBandRows || device.height() > kMostRows) {
        draw();
        return;
    }
    const QTransform world = painter->worldTransform();
    for (int top = device.top(); top <= device.bottom(); top += kBandRows) {
        painter->save();
        // The band in device pixels, so that the bands meet on whole rows.
        painter->resetTransform();
        painter->setClipRect(QRect(device.left(), top, device.width(), kBandRows), Qt::IntersectClip);
        painter->setWorldTransform(world);
        draw();
        painter->restore();
    }
}

namespace {

// What makes two stamps alike; lengths in 1/64 device pixel.
struct StampKey {
    qint64 diameter;
    qint64 penWidth;
    QRgb penColor;
    QRgb brushColor;
    quint8 flags; // pen, brush, antialiased, cosmetic pen
    quint8 phaseX;
    quint8 phaseY;
    bool operator==(const StampKey& o) const
    {
        return diameter == o.diameter && penWidth == o.penWidth && penColor == o.penColor
            && brushColor == o.brushColor && flags == o.flags && phaseX == o.phaseX && phaseY == o.phaseY;
    }
};

size_t qHash(const StampKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.diameter, k.penWidth, k.penColor, k.brushColor, k.flags, k.phaseX, k.phaseY);
}

// Places within a pixel a stamp is made for, per axis: a disc lands within
// an eighth of a pixel of where it belongs.
const int kPhases = 4;
// A disc wider than this on screen is filled directly: few such show at once.
const qreal kWidestStamp = 48;
// The stamps of the sizes, colours and places in use at once (lines may have
// colours of their own) stay far below this; past it they are made afresh.
const qsizetype kMostStampBytes = qsizetype(16) << 20;
// Device places beyond this are not counted in whole pixels.
const qreal kFarthest = 1 << 24;

// The length a transform gives every direction when it gives all the same
// one (turns, flips, even scales); 0 otherwise.
qreal evenScale(const QTransform& t)
{
    if (t.type() > QTransform::TxRotate)
        return 0;
    const qreal a = std::hypot(t.m11(), t.m12());
    const qreal b = std::hypot(t.m21(), t.m22());
    if (!(a > 0) || std::abs(a - b) > 1e-9 * a || std::abs(t.m11() * t.m21() + t.m12() * t.m22()) > 1e-9 * a * b)
        return 0;
    return a;
}

bool solid(const QPen& pen)
{
    return pen.style() == Qt::NoPen || (pen.style() == Qt::SolidLine && pen.brush().style() == Qt::SolidPattern);
}

bool solid(const QBrush& brush)
{
    return brush.style() == Qt::NoBrush || brush.style() == Qt::SolidPattern;
}

// The painter's world transform reaches the device as it stands, but for a
// whole-pixel offset (a widget's place in its window): no view transform and
// no device pixel ratio scale it.
bool plainRasterTarget(QPainter* painter)
{
    QPaintEngine* engine = painter->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster
        || painter->compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    const QTransform& world = painter->worldTransform();
    const QTransform& device = painter->deviceTransform();
    const qreal dx = device.dx() - world.dx(), dy = device.dy() - world.dy();
    return device.m11() == world.m11() && device.m12() == world.m12() && device.m21() == world.m21()
        && device.m22() == world.m22() && device.type() <= QTransform::TxRotate
        && std::abs(dx - std::round(dx)) < 1e-6 && std::abs(dy - std::round(dy)) < 1e-6;
}

} // namespace

bool drawDiscStamp(QPainter* painter, const QRectF& disc, const QPen& pen, const QBrush& brush)
{
    if (disc.width() != disc.height() || !solid(pen) || !solid(brush) || !plainRasterTarget(painter))
        return false;
    const QTransform world = painter->worldTransform();
    const qreal scale = evenScale(world);
    const qreal diameter = disc.width() * scale;
    const bool withPen = pen.style() != Qt::NoPen;
    const bool withBrush = brush.style() != Qt::NoBrush;
    const qreal penWidth = !withPen ? 0 : pen.isCosmetic() ? std::max<qreal>(pen.widthF(), 1) : pen.widthF() * scale;
    if (!(scale > 0) || !(diameter > 0) || !(diameter + penWidth <= kWidestStamp))
        return false;

    const QPointF centre = world.map(disc.center());
    if (!(std::abs(centre.x()) < kFarthest && std::abs(centre.y()) < kFarthest))
        return false;
    const QPoint cells(int(std::floor(centre.x() * kPhases + 0.5)), int(std::floor(centre.y() * kPhases + 0.5)));
    const QPoint whole(int(std::floor(qreal(cells.x()) / kPhases)), int(std::floor(qreal(cells.y()) / kPhases)));
    const QPoint phase = cells - whole * kPhases;
    const bool antialiased = painter->testRenderHint(QPainter::Antialiasing);
    // A cosmetic pen keeps its own width; a hairline is drawn a pixel wide.
    const StampKey key{std::llround(diameter * 64), std::llround((pen.isCosmetic() ? pen.widthF() : penWidth) * 64),
                       withPen ? pen.color().rgba() : 0, withBrush ? brush.color().rgba() : 0,
                       quint8((withPen ? 1 : 0) | (withBrush ? 2 : 0) | (antialiased ? 4 : 0) | (pen.isCosmetic() ? 8 : 0)),
                       quint8(phase.x()), quint8(phase.y())};
    const int half = int(std::ceil((diameter + penWidth) / 2)) + 2;

    // Painting happens on the GUI thread only.
    static QHash<StampKey, QImage> stamps;
    static qsizetype stampBytes = 0;
    auto found = stamps.constFind(key);
    if (found == stamps.constEnd()) {
        if (stampBytes >= kMostStampBytes) {
            stamps.clear();
            stampBytes = 0;
        }
        QImage image(2 * half, 2 * half, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter stamp(&image);
        stamp.setRenderHint(QPainter::Antialiasing, antialiased);
        stamp.translate(half + qreal(phase.x()) / kPhases, half + qreal(phase.y()) / kPhases);
        stamp.scale(scale, scale);
        stamp.setPen(pen);
        stamp.setBrush(brush);
        const qreal r = disc.width() / 2;
        stamp.drawEllipse(QRectF(-r, -r, 2 * r, 2 * r));
        stamp.end();
        stampBytes += image.sizeInBytes();
        found = stamps.insert(key, image);
    }
    painter->setWorldTransform(QTransform());
    painter->drawImage(whole - QPoint(half, half), *found);
    painter->setWorldTransform(world);
    return true;
}

bool drawDiscStamp(QPainter* painter, const QStyleOptionGraphicsItem* option, const QGraphicsEllipseItem& item)
{
    if ((option->state & QStyle::State_Selected) || item.spanAngle() != 360 * 16)
        return false;
    return drawDiscStamp(painter, item.rect(), item.pen(), item.brush());
}

void paintSmallEllipse(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget,
                       QGraphicsEllipseItem& item)
{
    if (drawDiscStamp(painter, option, item))
        return;
    paintInBands(painter, item.boundingRect(), item.pen(), item.brush(),
                 [&] { item.QGraphicsEllipseItem::paint(painter, option, widget); });
}
