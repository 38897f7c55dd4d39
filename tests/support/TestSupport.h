#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <QDir>
#include <QString>

// Path of a fixture under tests/data.
inline QString testDataPath(const QString& name)
{
    return QDir(QStringLiteral(LEVELEDITOR_TEST_DATA_DIR)).filePath(name);
}

// Path of an image or sheet fixture under tests/data/sprites.
inline QString spritePath(const QString& name)
{
    return testDataPath(QStringLiteral("sprites/") + name);
}

#endif // TESTSUPPORT_H
