#include "Settings.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kMainWindowState = QStringLiteral("mainWindowState");
const QString kOpenPath = QStringLiteral("openPath");
const QString kOpenSpriteSheetPath = QStringLiteral("openSpriteSheetPath");
}

Settings::Settings()
    : QSettings(QStringLiteral("kestrel-forge"), QStringLiteral("level-editor"))
{
}

QByteArray Settings::mainWindowState() const
{
    return value(kMainWindowState).toByteArray();
}

void Settings::setMainWindowState(const QByteArray& state)
{
    setValue(kMainWindowState, state);
}

QString Settings::openFilePath() const
{
    return value(kOpenPath, QDir::homePath()).toString();
}

void Settings::setOpenFilePath(const QString& file)
{
    setValue(kOpenPath, QFileInfo(file).absolutePath());
}

QString Settings::openSpriteSheetPath() const
{
    return value(kOpenSpriteSheetPath, QDir::homePath()).toString();
}

void Settings::setOpenSpriteSheetPath(const QString& file)
{
    setValue(kOpenSpriteSheetPath, QFileInfo(file).absolutePath());
}
