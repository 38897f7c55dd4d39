#include <QApplication>
#include <QPixmapCache>

#include "KFLevelEditor.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The icons are compiled into the editor library, which registers nothing by itself.
    Q_INIT_RESOURCE(images);
    // Sprite sheets are cut into many frame images; let the cache keep them all (KB).
    QPixmapCache::setCacheLimit(2147483647);
    KFLevelEditor editor;
    editor.show();
    return app.exec();
}
