#ifndef SETTINGS_H
#define SETTINGS_H

#include <QByteArray>
#include <QSettings>
#include <QString>

// What the editor remembers between runs: the window layout and the folders the
// file dialogs start in. Made on the stack for one operation; the folder setters
// take a file's path and keep its absolute folder.
class Settings : public QSettings
{
public:
    Settings();

    QByteArray mainWindowState() const;
    void setMainWindowState(const QByteArray& state);

    // Both default to the home folder.
    QString openFilePath() const;
    void setOpenFilePath(const QString& file);
    QString openSpriteSheetPath() const;
    void setOpenSpriteSheetPath(const QString& file);
};

#endif // SETTINGS_H
