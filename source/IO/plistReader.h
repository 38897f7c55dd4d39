#ifndef PLISTREADER_H
#define PLISTREADER_H

#include <QMap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariant>

// The top-level dictionary of an XML property list (a sprite-sheet descriptor).
// Values are int ("integer"), QString ("string") or QMap<QString, QVariant>
// ("dict"); any other value element leaves its key with an invalid QVariant.
class plistReader : public QMap<QString, QVariant>
{
public:
    plistReader();
    ~plistReader();

    // Merges the file's top-level dictionary into this map, replacing equal keys.
    // False, with the map unchanged, when the file is missing, not a regular
    // file, too large, malformed or has no root element "plist"; true for a
    // "plist" without "dict".
    bool readFile(const QString& path);
    // Why the last readFile failed, in words a user can read; empty after a success.
    const QString& errorString() const { return m_error; }

    // "{{x,y},{w,h}}" → QRect(x, y, w, h); a text of another shape, or with a
    // number beyond 2^24 either way (no texture is that large), gives QRect().
    static QRect parseStringToRect(const QString& text);
    // "{x,y}" → QPoint(x, y); a text of another shape, or with a number beyond
    // 2^24 either way, gives QPoint().
    static QPoint parseStringToPoint(const QString& text);

private:
    QString m_error;
};

#endif // PLISTREADER_H
