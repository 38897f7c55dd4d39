#ifndef WINDOWBENCH_H
#define WINDOWBENCH_H

// What the benchmarks that drive the main window share: a process set up as a
// user's (offscreen, settings in a scratch folder, debug chatter dropped), the
// generated level and physics files they open, and the deferred work that an
// open or a Delete leaves for the event loop.

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <string>

#include "KFLevelEditor.h"

namespace windowbench {

// Settings go to a folder of this run, never the user's; windows draw offscreen.
inline void prepareProcess(const QString& settingsFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The editor prints a debug line per grouped item; the terminal is not what is
// measured.
inline void dropDebugOutput()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

// What the editor leaves to the event loop (deferred deletions of merged nodes
// and deleted items, the scene's index and rectangle updates) runs as the loop
// would run it; the window is not shown, so nothing is painted.
inline void settle()
{
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// What a shown window does once control is back in the event loop, one turn:
// posted events (the panels' queued update, deferred deletes) and the paint
// they ask for. A frame of the live simulation is timed with exactly this.
inline void settleFrame()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

inline void showWindow(KFLevelEditor& window)
{
    window.resize(1600, 1000);
    window.show();
    settleFrame();
}

inline bool writeFile(const QString& path, const std::string& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

inline std::string num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

// A small image for the sprites.
inline QString writeSpriteImage(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("sprite.png"));
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::darkGreen);
    image.save(path);
    return path;
}

// The physics file around its shapes and constraints.
inline std::string spaceText(const std::string& body)
{
    return "<space>\n<iterations>10</iterations>\n<gravity x=\"0\" y=\"-10\" />\n<damping>1</damping>\n"
        + body + "</space>\n";
}

inline std::string shapeTail(long long id, long long bodyId)
{
    return "<id>" + std::to_string(id) + "</id>\n<body_id>" + std::to_string(bodyId)
        + "</body_id>\n<sensor>0</sensor>\n<e>0</e>\n<u>0.5</u>\n<surface_v x=\"0\" y=\"0\" />\n"
          "<collision_type>0</collision_type>\n<group>0</group>\n<layers>4294967295</layers>\n";
}

inline std::string staticBody()
{
    return "<body />\n</shape>\n";
}

inline std::string dynamicBody(long long id, double x, double y)
{
    return "<body>\n<id>" + std::to_string(id) + "</id>\n<mass>1</mass>\n<inertia>4.5</inertia>\n<p x=\""
        + num(x) + "\" y=\"" + num(y)
        + "\" />\n<v x=\"0\" y=\"0\" />\n<f x=\"0\" y=\"0\" />\n<a>0</a>\n<w>0</w>\n<t>0</t>\n</body>\n</shape>\n";
}

inline std::string circle(long long id, long long bodyId, double x, double y, double radius)
{
    return "<shape type=\"circle\">\n<offset x=\"" + num(bodyId == 0 ? x : 0) + "\" y=\"" + num(bodyId == 0 ? y : 0)
        + "\" />\n<radius>" + num(radius) + "</radius>\n" + shapeTail(id, bodyId)
        + (bodyId == 0 ? staticBody() : dynamicBody(bodyId, x, y));
}

inline std::string segment(long long id, double ax, double ay, double bx, double by)
{
    return "<shape type=\"segment\">\n<a x=\"" + num(ax) + "\" y=\"" + num(ay) + "\" />\n<b x=\"" + num(bx)
        + "\" y=\"" + num(by) + "\" />\n<radius>1</radius>\n" + shapeTail(id, 0) + staticBody();
}

inline std::string pinToStatic(long long id, long long bodyId, double anchorX, double anchorY, double dist)
{
    return "<constraint type=\"pin\">\n<anchr1 x=\"0\" y=\"0\" />\n<anchr2 x=\"" + num(anchorX) + "\" y=\""
        + num(anchorY) + "\" />\n<dist>" + num(dist) + "</dist>\n<jnAcc>0</jnAcc>\n<id>" + std::to_string(id)
        + "</id>\n<body_a_id>" + std::to_string(bodyId)
        + "</body_a_id>\n<body_b_id>0</body_b_id>\n<maxForce>INF</maxForce>\n<biasCoef>0.1</biasCoef>\n"
          "<maxBias>INF</maxBias>\n</constraint>\n";
}

// A level of `items` items, a fifth each of sprites, bodies (a circle on its own
// body, in the physics file), lines, filled polygons and paths of three points,
// laid on a square grid. The lines of a row run end to end, so their nodes join.
inline void writeMixedLevel(const QString& levelPath, const QString& spritePath, int items)
{
    const int units = items / 5;
    const int columns = int(std::ceil(std::sqrt(double(units))));
    std::string level = "<view bottom=\"-100\" left=\"-100\" top=\"1000\" right=\"1000\">\n";
    std::string physics;
    const std::string file = spritePath.toStdString();
    long long nextId = 1;
    for (int i = 0; i < units; ++i) {
        const double x = 40.0 * (i % columns);
        const double y = 40.0 * (i / columns);
        level += "<item file=\"" + file + "\" x=\"" + num(x + 5) + "\" y=\"" + num(y + 30) + "\" z=\"1\" uid=\"-1\"/>\n";
        level += "<line x1=\"" + num(x) + "\" y1=\"" + num(y + 10) + "\" x2=\"" + num(x + 40) + "\" y2=\""
            + num(y + 10) + "\" width=\"3\"/>\n";
        level += "<fill fan=\"0\" r=\"10\" g=\"20\" b=\"30\" pts=\"" + num(x) + "," + num(y) + ", " + num(x + 8) + ","
            + num(y) + ", " + num(x + 8) + "," + num(y + 8) + ", " + num(x) + "," + num(y + 8) + "\"/>\n";
        level += "<path x=\"" + num(x + 20) + "\" y=\"" + num(y + 20) + "\"><pt x=\"" + num(x + 12) + "\" y=\""
            + num(y + 18) + "\"/><pt x=\"" + num(x + 20) + "\" y=\"" + num(y + 24) + "\"/><pt x=\"" + num(x + 28)
            + "\" y=\"" + num(y + 18) + "\"/></path>\n";
        const long long shapeId = nextId++;
        const long long bodyId = nextId++;
        physics += circle(shapeId, bodyId, x + 30, y + 30, 3);
    }
    level += "</view>\n";
    writeFile(levelPath, level);
    writeFile(levelPath + QStringLiteral(".phyxml"), spaceText(physics));
}

// An empty level whose physics file holds the given shapes and constraints.
inline void writePhysicsLevel(const QString& levelPath, const std::string& physicsBody)
{
    writeFile(levelPath, "<view bottom=\"-100\" left=\"-100\" top=\"1000\" right=\"1000\">\n</view>\n");
    writeFile(levelPath + QStringLiteral(".phyxml"), spaceText(physicsBody));
}

} // namespace windowbench

#endif // WINDOWBENCH_H
