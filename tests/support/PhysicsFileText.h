#ifndef PHYSICSFILETEXT_H
#define PHYSICSFILETEXT_H

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The whole file, or nothing when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// The save mark on a level's and its physics file's root hashes the level's
// text, ids included, so it differs wherever the ids do: it goes with them.
inline QString withoutSaveMark(QString text)
{
    static const QRegularExpression markRe(QStringLiteral(" saveMark=\"[0-9a-f]*\""));
    return text.remove(markRe);
}

// Ids in a physics file are addresses: number them by rank of first appearance
// (0 stays 0), so that files written from different spaces can be compared.
// The save mark, which follows from them, is left out.
inline QString normaliseIds(const QString& rawText)
{
    const QString text = withoutSaveMark(rawText);
    static const QRegularExpression idRe(QStringLiteral("<(id|body_id|body_a_id|body_b_id)>(-?\\d+)</"));
    QStringList seen{QStringLiteral("0")};
    QString out;
    qsizetype last = 0;
    auto it = idRe.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString id = m.captured(2);
        if (!seen.contains(id))
            seen << id;
        out += text.mid(last, m.capturedStart(2) - last);
        out += QString::number(seen.indexOf(id));
        last = m.capturedEnd(2);
    }
    out += text.mid(last);
    return out;
}

#endif // PHYSICSFILETEXT_H
