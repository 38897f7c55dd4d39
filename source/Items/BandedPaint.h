#ifndef BANDEDPAINT_H
#define BANDEDPAINT_H

#include <QRectF>

#include <functional>

class QBrush;
class QPainter;
class QPen;

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

#endif // BANDEDPAINT_H
