#include "Items/BandedPaint.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QRect>
#include <QTransform>

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
