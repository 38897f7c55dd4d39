#ifndef LEVELFILETEXT_H
#define LEVELFILETEXT_H

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "IO/iotransformer.h"
#include "IO/textcodec.h"

// A node's element as the level file prints it, read back from a file.
inline QString printedElement(IONode& node, EditorContext* context = nullptr)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.xml"));
    {
        IOTransformer io(encodeText(path), context, nullptr);
        io.write(node);
        io.save(nullptr);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return decodeText(bytes.constData(), bytes.size()).trimmed();
}

inline bool writeTextFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = QByteArray::fromStdString(encodeText(text));
    return file.write(bytes) == bytes.size();
}

// Reads the node from a level file holding xml; false when no element of the
// node's name was found.
inline bool readElement(const QString& xml, IONode& node, EditorContext* context = nullptr)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("level.xml"));
    if (!writeTextFile(path, xml))
        return false;
    IOTransformer io(encodeText(path), context, nullptr);
    io.load(nullptr);
    return io.read(node);
}

#endif // LEVELFILETEXT_H
