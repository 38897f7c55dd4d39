#ifndef IMAGEFILE_H
#define IMAGEFILE_H

#include <QPixmap>
#include <QString>

// An image from a file, read only when it is a regular file of a bounded size
// (see regularfile.h), so that a FIFO or a link to a device never blocks or
// fills memory. A null pixmap when it cannot be read or is no image; error then
// says why. Resource paths (":/...") are loaded as they are.
QPixmap readImageFile(const QString& path, QString* error = nullptr);

#endif // IMAGEFILE_H
