#ifndef SMALLSHAPEPAINT_H
#define SMALLSHAPEPAINT_H

#include <QRectF>

#include <functional>

class QBrush;
class QGraphicsEllipseItem;
class QPainter;
class QPen;
class QStyleOptionGraphicsItem;
class QWidget;

// Qt 6.4's raster engine blends a translucent fill of 96 spans or more on its
// thread pool and waits for it: about 50 us a fill, however small the shape
// (an antialiased disc 40 pixels across already has that many spans), against
// 5 us inline. Painted in bands a few device rows high, each clipped to its
// band, a small shape stays under that count and gives the same pixels.
// A shape taller than a few bands is drawn whole: there the pool pays off;
// so is one whose pen and brush are opaque (at full painter opacity), which
// Qt blends inline anyway.
void paintInBands(QPainter* painter, const QRectF& bounds, const QPen& pen, const QBrush& brush,
                  const std::function<void()>& draw);

// An antialiased disc costs Qt's painter a path of curves to split and fill
// (up to 9 us even for a joint end 6 pixels across), and a live canvas shows
// thousands. Where the painter turns and scales evenly a disc looks the same
// at any angle, so it is drawn as a stamp made once per size, colours and
// quarter-pixel place: under a microsecond. Solid pens and brushes on a raster
// device only; false, with nothing drawn, where that does not hold.
// The stamps are images this function keeps (GUI thread only, at most 16 MB,
// made afresh past that); they point at nothing and live until the process ends.
bool drawDiscStamp(QPainter* painter, const QRectF& disc, const QPen& pen, const QBrush& brush);
// The same for an ellipse item that is a whole circle and not selected (its
// selection outline is Qt's own to paint).
bool drawDiscStamp(QPainter* painter, const QStyleOptionGraphicsItem* option, const QGraphicsEllipseItem& item);
// Paints a small ellipse item the cheapest way that gives its look: as a stamp,
// else in bands, else as Qt paints it.
void paintSmallEllipse(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget,
                       QGraphicsEllipseItem& item);

#endif // SMALLSHAPEPAINT_H
