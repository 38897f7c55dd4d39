#include "IO/imagefile.h"

#include "IO/textcodec.h"
#include "regularfile.h"

#include <QByteArray>
#include <QFile>

#include <string>

QPixmap readImageFile(const QString& path, QString* error)
{
    QPixmap image;
    if (path.startsWith(QLatin1Char(':'))) {
        if (!image.load(path) && error)
            *error = QStringLiteral("no such image among the editor's resources");
        return image;
    }
    std::string bytes;
    const FileRead read = readRegularFile(QFile::encodeName(path).toStdString(), bytes);
    if (!read.ok()) {
        // A file that is there but refused is worth a word; a missing one is
        // the usual case of a moved image and is handled by the caller.
        if (read.status == FileRead::Refused)
            qWarning("Image %s not read: %s", qPrintable(path), read.error.c_str());
        if (error)
            *error = decodeText(read.error);
        return image;
    }
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), uint(bytes.size())) && error)
        *error = QStringLiteral("it is not an image");
    return image;
}
