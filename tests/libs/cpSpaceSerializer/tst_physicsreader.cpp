#include "SpaceHelpers.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include <sys/stat.h>
#include <unistd.h>

// Reading physics files: the delegate's questions and refusals, files that
// cannot be read, and files whose values Chipmunk would abort on.
class TestPhysicsReader : public QObject
{
    Q_OBJECT

private slots:
    void delegateOrderAndRefusal();
    void unreadableFileChangesNothing_data();
    void unreadableFileChangesNothing();
    void fileThatIsNoRegularFileIsAFailure_data();
    void fileThatIsNoRegularFileIsAFailure();
    void badFileLoadsAndSteps_data();
    void badFileLoadsAndSteps();
    void guardedValues();
    void spaceDamping_data();
    void spaceDamping();
    void springValues_data();
    void springValues();
    void bodiesOutsideTheSpace();

private:
    QByteArray path(const char* name) { return dir.filePath(QString::fromLatin1(name)).toLocal8Bit(); }
    QTemporaryDir dir;
};

namespace {

QByteArray space(const QByteArray& children)
{
    return "<space><iterations>10</iterations><gravity x=\"0\" y=\"-100\" /><damping>1</damping>"
        + children + "</space>";
}

QByteArray body(long long id, const QByteArray& mass = "1", const QByteArray& inertia = "1", const QByteArray& extra = "")
{
    return "<body_id>" + QByteArray::number(id) + "</body_id><body><id>" + QByteArray::number(id) + "</id><mass>" + mass
        + "</mass><inertia>" + inertia + "</inertia>" + extra + "</body>";
}

QByteArray circle(long long id, const QByteArray& bodyPart, const QByteArray& extra = "")
{
    return "<shape type=\"circle\"><radius>1</radius><id>" + QByteArray::number(id) + "</id>" + extra + bodyPart + "</shape>";
}

QByteArray poly(long long id, int numVerts, const QList<QPointF>& verts, const QByteArray& bodyPart)
{
    QByteArray v = "<verts numVerts=\"" + QByteArray::number(numVerts) + "\">";
    for (const QPointF& p : verts)
        v += "<vert x=\"" + QByteArray::number(p.x()) + "\" y=\"" + QByteArray::number(p.y()) + "\" />";
    return "<shape type=\"poly\">" + v + "</verts><id>" + QByteArray::number(id) + "</id>" + bodyPart + "</shape>";
}

QByteArray joint(const QByteArray& type, long long a, long long b, const QByteArray& extra = "")
{
    return "<constraint type=\"" + type + "\">" + extra + "<id>900</id><body_a_id>" + QByteArray::number(a)
        + "</body_a_id><body_b_id>" + QByteArray::number(b) + "</body_b_id><maxForce>INF</maxForce><maxBias>INF</maxBias></constraint>";
}

cpBody* onlyBody(cpSpace* s)
{
    std::vector<cpShape*> shapes = shapesOf(s);
    return shapes.empty() ? nullptr : cpShapeGetBody(shapes.front());
}

} // namespace

void TestPhysicsReader::delegateOrderAndRefusal()
{
    RecordingDelegate d;
    d.refuseShapes = { 13 };
    d.refuseBodies = { 23 };
    d.refuseConstraints = { 34 };
    cpSpaceSerializer serializer(&d);
    cpSpace* s = cpSpaceNew();
    serializer.load(s, testDataPath(QStringLiteral("physics/delegate.phyxml")).toLocal8Bit().constData());

    // Each body before its first shape, all shapes before the constraints; nothing
    // is asked about objects on a refused body, nor about joints that cannot be built.
    QCOMPARE(d.calls, QStringList({ "body 21", "shape 11", "shape 12", "body 22", "shape 13", "body 23", "shape 16",
                                    "constraint 31", "constraint 34", "constraint 35" }));

    QCOMPARE(shapeCount(s), 3);
    // Body 22 lost its only shape: it is taken out again rather than left ownerless.
    QCOMPARE(bodyCount(s), 1);
    QCOMPARE(constraintCount(s), 2);

    std::map<long long, cpShape*>& shapes = serializer.shapeMap();
    QCOMPARE(shapes.size(), size_t(4));
    QVERIFY(shapes.at(11) && shapes.at(12) && shapes.at(16));
    QCOMPARE(shapes.at(13), nullptr);
    QCOMPARE(cpShapeGetBody(shapes.at(11)), cpShapeGetBody(shapes.at(12)));
    QCOMPARE(cpShapeGetBody(shapes.at(16)), cpSpaceGetStaticBody(s));
    for (cpConstraint* c : constraintsOf(s))
        QVERIFY(cpConstraintIsPinJoint(c) || cpConstraintIsPivotJoint(c));

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(s, 1.0 / 30);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::unreadableFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<bool>("directory");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("directory") << QByteArray() << true;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe<\x80", 6) << false;
    QTest::newRow("not well-formed") << QByteArray("<space><shape type=\"circle\"></space>") << false;
    QTest::newRow("truncated") << space(circle(1, body(2))).left(60) << false;
    QTest::newRow("other root") << QByteArray("<view><iterations>3</iterations></view>") << false;
    QTest::newRow("root name case") << QByteArray("<Space><iterations>3</iterations></Space>") << false;
}

void TestPhysicsReader::unreadableFileChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, directory);

    const QByteArray good = path("good.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(good), space(circle(7, body(8)))));
    const QByteArray bad = path(QTest::currentDataTag());
    if (directory)
        QVERIFY(QDir(dir.path()).mkpath(QString::fromLocal8Bit(bad)));
    else if (!content.isNull())
        QVERIFY(writeAll(QString::fromLocal8Bit(bad), content));

    cpSpaceSerializer serializer;
    cpSpace* first = serializer.load(good.constData());
    QCOMPARE(shapeCount(first), 1);

    cpSpace* s = cpSpaceNew();
    cpSpaceSetIterations(s, 4);
    cpSpaceSetGravity(s, cpv(0, -5));
    QCOMPARE(serializer.load(s, bad.constData()), s);
    QCOMPARE(cpSpaceGetIterations(s), 4);
    QCOMPARE(cpSpaceGetGravity(s).y, -5.0);
    QCOMPARE(shapeCount(s), 0);
    // The maps still describe the earlier load.
    QCOMPARE(serializer.shapeMap().size(), size_t(1));
    QCOMPARE(serializer.shapeMap().at(7), shapesOf(first).front());

    freeSpaceAndContents(s);
    freeSpaceAndContents(first);
}

void TestPhysicsReader::fileThatIsNoRegularFileIsAFailure_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fifo") << "fifo" << true << "not a regular file";
    QTest::newRow("link to /dev/zero") << "zero" << true << "not a regular file";
    QTest::newRow("folder") << "folder" << true << "folder";
    QTest::newRow("malformed") << "malformed" << true << "not a well-formed";
    QTest::newRow("missing") << "missing" << false << "";
}

// What cannot be read is a failure with a reason a user can read (a missing
// file is none), and nothing blocks or fills memory on the way.
void TestPhysicsReader::fileThatIsNoRegularFileIsAFailure()
{
    QFETCH(QString, what);
    QFETCH(bool, failed);
    QFETCH(QString, reason);
    QTemporaryDir here;
    const QString file = here.filePath(QStringLiteral("odd.phyxml"));
    if (what == QLatin1String("fifo"))
        QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else if (what == QLatin1String("zero"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), file));
    else if (what == QLatin1String("folder"))
        QVERIFY(QDir(here.path()).mkdir(QStringLiteral("odd.phyxml")));
    else if (what == QLatin1String("malformed"))
        QVERIFY(writeAll(file, "<space><shape>"));

    cpSpaceSerializer serializer;
    cpSpace* s = cpSpaceNew();
    alarm(60);
    serializer.load(s, QFile::encodeName(file).constData());
    alarm(0);
    QCOMPARE(serializer.lastLoadFailed(), failed);
    QVERIFY2(QString::fromStdString(serializer.lastLoadError()).contains(reason), serializer.lastLoadError().c_str());
    QCOMPARE(serializer.lastLoadError().empty(), !failed);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::badFileLoadsAndSteps_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("shapes");
    QTest::addColumn<int>("bodies");
    QTest::addColumn<int>("constraints");

    const QList<QPointF> square = { { -1, 1 }, { 1, 1 }, { 1, -1 }, { -1, -1 } };
    QTest::newRow("mass nan") << space(circle(1, body(2, "nan"))) << 0 << 0 << 0;
    QTest::newRow("mass zero") << space(circle(1, body(2, "0"))) << 0 << 0 << 0;
    QTest::newRow("mass negative") << space(circle(1, body(2, "-5"))) << 0 << 0 << 0;
    QTest::newRow("mass tiny") << space(circle(1, body(2, "1e-300"))) << 0 << 0 << 0;
    QTest::newRow("mass huge") << space(circle(1, body(2, "1e300"))) << 0 << 0 << 0;
    QTest::newRow("mass overflow") << space(circle(1, body(2, "1e999"))) << 0 << 0 << 0;
    QTest::newRow("mass missing") << space(circle(1, "<body_id>2</body_id><body><id>2</id></body>")) << 0 << 0 << 0;
    QTest::newRow("moment zero") << space(circle(1, body(2, "1", "0"))) << 0 << 0 << 0;
    QTest::newRow("moment negative") << space(circle(1, body(2, "1", "-1"))) << 0 << 0 << 0;
    QTest::newRow("moment nan") << space(circle(1, body(2, "1", "nan"))) << 0 << 0 << 0;
    QTest::newRow("moment INF") << space(circle(1, body(2, "1", "INF"))) << 1 << 1 << 0;
    QTest::newRow("mass INF") << space(circle(1, body(2, "INF", "INF"))) << 1 << 0 << 0;
    QTest::newRow("state garbage")
        << space(circle(1, body(2, "1", "1",
                                "<p x=\"inf\" y=\"nan\" /><v x=\"1e308\" y=\"-1e400\" /><f x=\"1e300\" y=\"x\" />"
                                "<a>1e300</a><w>nan</w><t>INF</t>"),
                        "<e>-1</e><u>nan</u><surface_v x=\"1e308\" y=\"0\" />"))
        << 1 << 1 << 0;
    QTest::newRow("radius negative") << space("<shape type=\"circle\"><radius>-4</radius>" + body(2) + "</shape>") << 1 << 1 << 0;
    QTest::newRow("segment degenerate")
        << space("<shape type=\"segment\"><a x=\"1\" y=\"1\" /><b x=\"1\" y=\"1\" /><radius>nan</radius><body_id>0</body_id></shape>"
                 + circle(3, body(4)))
        << 2 << 1 << 0;
    QTest::newRow("segment degenerate touching")
        << space("<shape type=\"segment\"><a x=\"0\" y=\"0.5\" /><b x=\"0\" y=\"0.5\" /><radius>0</radius><body_id>0</body_id></shape>"
                 + circle(3, body(4)) + poly(5, 4, { { -1, 1 }, { 1, 1 }, { 1, -1 }, { -1, -1 } }, body(6)))
        << 3 << 2 << 0;
    QTest::newRow("poly two verts") << space(poly(1, 2, { { 0, 0 }, { 1, 1 } }, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly no verts") << space("<shape type=\"poly\">" + body(2) + "</shape>") << 0 << 0 << 0;
    QTest::newRow("poly counter-clockwise")
        << space(poly(1, 4, { { -1, -1 }, { 1, -1 }, { 1, 1 }, { -1, 1 } }, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly concave")
        << space(poly(1, 5, { { -2, 2 }, { 0, 0 }, { 2, 2 }, { 2, -2 }, { -2, -2 } }, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly star")
        << space(poly(1, 5, { { 0, 3 }, { 1.8, -2.4 }, { -2.9, 0.9 }, { 2.9, 0.9 }, { -1.8, -2.4 } }, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly repeated vertex")
        << space(poly(1, 4, { { -1, 1 }, { 1, 1 }, { 1, 1 }, { -1, -1 } }, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly collinear") << space(poly(1, 3, { { 0, 0 }, { 1, 1 }, { 2, 2 } }, body(2))) << 0 << 0 << 0;
    // Text that is not a number reads as 0, which here still leaves a clockwise triangle.
    QTest::newRow("poly nan vertex")
        << space("<shape type=\"poly\"><verts numVerts=\"3\"><vert x=\"nan\" y=\"1\" /><vert x=\"1\" y=\"0\" />"
                 "<vert x=\"0\" y=\"0\" /></verts>" + body(2) + "</shape>")
        << 1 << 1 << 0;
    QTest::newRow("poly count above verts") << space(poly(1, 40, square, body(2))) << 1 << 1 << 0;
    QTest::newRow("poly count below verts") << space(poly(1, 3, square, body(2))) << 1 << 1 << 0;
    QTest::newRow("poly count negative") << space(poly(1, -1, square, body(2))) << 0 << 0 << 0;
    QTest::newRow("poly bad, body shared")
        << space(poly(1, 2, { { 0, 0 }, { 1, 1 } }, body(2)) + circle(3, "<body_id>2</body_id><body />")) << 1 << 1 << 0;
    QTest::newRow("shape types") << space("<shape>" + body(2) + "</shape><shape type=\"box\" />" + circle(3, body(4)))
                                 << 1 << 1 << 0;
    QTest::newRow("body id twice") << space(circle(1, body(2)) + circle(3, body(2, "5", "5"))) << 2 << 1 << 0;

    const QByteArray dynamicBody = circle(1, body(2));
    const QByteArray infBody = circle(3, body(4, "INF", "INF"));
    const QByteArray spinless = circle(5, body(6, "1", "INF"));
    QTest::newRow("joint unknown body") << space(dynamicBody + joint("pin", 2, 77)) << 1 << 1 << 0;
    QTest::newRow("joint refused body") << space(circle(1, body(2, "0")) + joint("pivot", 2, 0)) << 0 << 0 << 0;
    QTest::newRow("joint two static") << space(infBody + joint("pin", 0, 4) + joint("pivot", 4, 4)) << 1 << 0 << 0;
    QTest::newRow("rotary joints without moment")
        << space(spinless + infBody + joint("gear", 6, 0, "<ratio>1</ratio>") + joint("motor", 0, 6)
                 + joint("rotaryLimit", 4, 6) + joint("ratchet", 6, 0, "<ratchet>1</ratchet>")
                 + joint("rotarySpring", 6, 4) + joint("spring", 6, 4))
        << 2 << 1 << 1;
    QTest::newRow("joint to its own body") << space(dynamicBody + joint("pin", 2, 2) + joint("gear", 2, 2, "<ratio>1</ratio>"))
                                           << 1 << 1 << 0;
    QTest::newRow("gear ratio zero") << space(dynamicBody + joint("gear", 2, 0, "<ratio>0</ratio>")) << 1 << 1 << 0;
    QTest::newRow("ratchet zero") << space(dynamicBody + joint("ratchet", 2, 0, "<ratchet>0</ratchet>")) << 1 << 1 << 0;
    QTest::newRow("pivot unsolvable")
        << space(circle(1, body(2, "1e12", "1e-9")) + joint("pivot", 2, 0, "<worldAnchor x=\"1000\" y=\"1000\" />"))
        << 1 << 1 << 0;
    QTest::newRow("groove unsolvable")
        << space(circle(1, body(2, "1e12", "1e-9"))
                 + joint("groove", 0, 2, "<grv_a x=\"0\" y=\"0\" /><grv_b x=\"1\" y=\"0\" /><anchr2 x=\"1000\" y=\"0\" />"))
        << 1 << 1 << 0;
    QTest::newRow("groove without length")
        << space(dynamicBody + joint("groove", 2, 0, "<grv_a x=\"1\" y=\"1\" /><grv_b x=\"1\" y=\"1\" />")) << 1 << 1 << 0;
    QTest::newRow("joint limits garbage")
        << space(dynamicBody
                 + "<constraint type=\"spring\"><stiffness>1e9</stiffness><damping>-1e9</damping><restLength>nan</restLength>"
                   "<id>5</id><body_a_id>2</body_a_id><body_b_id>0</body_b_id>"
                   "<maxForce>-1</maxForce><biasCoef>-3</biasCoef><maxBias>nan</maxBias></constraint>")
        << 1 << 1 << 1;
    QTest::newRow("explosive spring")
        << space(circle(1, body(2, "1e-9", "1e-9", "<v x=\"1e9\" y=\"-1e9\" /><w>1e9</w>"))
                 + circle(3, body(4, "1e-9", "1e-9", "<p x=\"1e9\" y=\"1e9\" />"))
                 + joint("spring", 2, 4,
                         "<anchr1 x=\"1e9\" y=\"0\" /><restLength>0</restLength><stiffness>1e9</stiffness><damping>1e9</damping>")
                 + joint("rotarySpring", 2, 4, "<stiffness>1e9</stiffness><restAngle>1e9</restAngle>"))
        << 2 << 2 << 2;
    QTest::newRow("space settings garbage")
        << QByteArray("<space><iterations>-4</iterations><gravity x=\"nan\" y=\"1e999\" /><damping>-1</damping>")
               + dynamicBody + "</space>"
        << 1 << 1 << 0;
    QTest::newRow("iterations INF") << QByteArray("<space><iterations>INF</iterations>" + dynamicBody + "</space>") << 1 << 1 << 0;
    QTest::newRow("deep nesting") << space(QByteArray("<a>").repeated(5000) + QByteArray("</a>").repeated(5000) + dynamicBody)
                                  << 0 << 0 << 0;
    // Markup the parser reads differently from a naive scan must not hide nesting from the depth check.
    const int deep = 200000;
    QTest::newRow("nesting behind '/>' in text") << space(QByteArray("<a>/>").repeated(deep) + dynamicBody) << 0 << 0 << 0;
    QTest::newRow("nesting behind end tags in comments")
        << space(QByteArray("<a><!--</a>-->").repeated(deep) + dynamicBody) << 0 << 0 << 0;
    QTest::newRow("nesting behind a character reference")
        << space(QByteArray("<a>&#x</a>x1;").repeated(deep) + dynamicBody) << 0 << 0 << 0;
    QTest::newRow("nesting behind a reference in a value")
        << space(QByteArray("<a b=\"&#\">#1;\">").repeated(deep) + dynamicBody) << 0 << 0 << 0;
    QTest::newRow("nesting behind a quoted declaration")
        << space(QByteArray("<a><a><?xml version=\"></a></a>\"?>").repeated(deep) + dynamicBody) << 0 << 0 << 0;
    QTest::newRow("nesting behind multi-byte text")
        << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + space(QByteArray("<a>\xE0</a>").repeated(deep) + dynamicBody)
        << 1 << 1 << 0;
    // The parser compares every attribute with all earlier ones of its element:
    // a hundred thousand of them took hours, so such a file is refused unparsed.
    QByteArray manyAttributes = "<a";
    for (int i = 0; i < 100000; ++i)
        manyAttributes += " a" + QByteArray::number(i) + "=\"1\"";
    QTest::newRow("many attributes on one element") << space(manyAttributes + "/>" + dynamicBody) << 0 << 0 << 0;
    QByteArray boundAttributes = "<a";
    for (int i = 0; i < 64; ++i)
        boundAttributes += " a" + QByteArray::number(i) + "=\"1\"";
    QTest::newRow("attributes at the bound") << space(boundAttributes + "/>" + dynamicBody) << 1 << 1 << 0;
    QTest::newRow("byte order mark and declaration")
        << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + space(dynamicBody) << 1 << 1 << 0;
}

void TestPhysicsReader::badFileLoadsAndSteps()
{
    QFETCH(QByteArray, file);
    QFETCH(int, shapes);
    QFETCH(int, bodies);
    QFETCH(int, constraints);

    const QByteArray p = path("bad.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p), file));
    cpSpaceSerializer serializer;
    cpSpace* s = serializer.load(p.constData());
    QCOMPARE(shapeCount(s), shapes);
    QCOMPARE(bodyCount(s), bodies);
    QCOMPARE(constraintCount(s), constraints);
    QVERIFY(cpSpaceGetIterations(s) > 0);
    for (int i = 0; i < 10; ++i)
        cpSpaceStep(s, 1.0 / 30);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::spaceDamping_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("kept") << QByteArray("0.5") << 0.5;
    QTest::newRow("one") << QByteArray("1") << 1.0;
    // Typed as a percentage: every step would speed the bodies up until Chipmunk aborts.
    QTest::newRow("above one") << QByteArray("98") << 0.75;
    QTest::newRow("negative") << QByteArray("-0.5") << 0.75;
}

void TestPhysicsReader::spaceDamping()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    const QByteArray p = path("damping.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p), "<space><damping>" + text + "</damping></space>"));
    cpSpace* s = cpSpaceNew();
    cpSpaceSetDamping(s, 0.75);
    cpSpaceSerializer serializer;
    serializer.load(s, p.constData());
    QCOMPARE(cpSpaceGetDamping(s), expected);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::springValues_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("stiffness");
    QTest::addColumn<QByteArray>("damping");
    QTest::addColumn<double>("expectedStiffness");
    QTest::addColumn<double>("expectedDamping");
    for (const QByteArray& type : {QByteArray("spring"), QByteArray("rotarySpring")}) {
        QTest::addRow("%s kept", type.constData()) << type << QByteArray("20") << QByteArray("0.5") << 20.0 << 0.5;
        QTest::addRow("%s negative stiffness", type.constData()) << type << QByteArray("-3000") << QByteArray("0") << 0.0 << 0.0;
        QTest::addRow("%s negative damping", type.constData()) << type << QByteArray("20") << QByteArray("-4") << 20.0 << 0.0;
        QTest::addRow("%s stiff, no damping", type.constData()) << type << QByteArray("3000") << QByteArray("0") << 3000.0 << 0.0;
    }
}

// A negative spring constant only pushes the bodies apart ever faster: read,
// the space steps as a game would step it.
void TestPhysicsReader::springValues()
{
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, stiffness);
    QFETCH(QByteArray, damping);
    QFETCH(double, expectedStiffness);
    QFETCH(double, expectedDamping);
    const QByteArray p = path("spring.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p),
                     space(circle(1, body(2, "1", "1", "<p x=\"0\" y=\"0\" />"))
                           + circle(3, body(4, "1", "1", "<p x=\"30\" y=\"0\" />"))
                           + joint(type, 2, 4,
                                   "<restLength>10</restLength><restAngle>1</restAngle><stiffness>" + stiffness
                                       + "</stiffness><damping>" + damping + "</damping>"))));
    cpSpaceSerializer serializer;
    cpSpace* s = serializer.load(p.constData());
    std::vector<cpConstraint*> joints = constraintsOf(s);
    QCOMPARE(joints.size(), size_t(1));
    cpConstraint* spring = joints.front();
    const bool linear = type == "spring";
    QCOMPARE(linear ? cpDampedSpringGetStiffness(spring) : cpDampedRotarySpringGetStiffness(spring), expectedStiffness);
    QCOMPARE(linear ? cpDampedSpringGetDamping(spring) : cpDampedRotarySpringGetDamping(spring), expectedDamping);
    for (int i = 0; i < 300; ++i)
        cpSpaceStep(s, 1.0 / 60);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::guardedValues()
{
    const QByteArray p = path("guarded.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p),
                     "<space><iterations>1000000</iterations><gravity x=\"1\" y=\"inf\" /><damping>INF</damping>"
                     + circle(1, body(2, "2", "3", "<p x=\"nan\" y=\"7\" /><a>1e300</a><w>inf</w>"),
                              "<e>-0.5</e><u>nan</u><layers>INF</layers><group>4</group>")
                     + "<constraint type=\"pin\"><dist>12</dist><id>5</id><body_a_id>2</body_a_id><body_b_id>0</body_b_id>"
                       "<maxForce>-1</maxForce><biasCoef>2</biasCoef><maxBias>-2</maxBias></constraint>"
                       "<constraint type=\"slide\"><id>6</id><body_a_id>2</body_a_id>"
                       "<biasCoef>0.5</biasCoef></constraint></space>"));
    cpSpace* s = cpSpaceNew();
    cpSpaceSetIterations(s, 9);
    cpSpaceSetDamping(s, 0.75);
    cpSpaceSerializer serializer;
    serializer.load(s, p.constData());

    QCOMPARE(cpSpaceGetIterations(s), 9);
    QCOMPARE(cpSpaceGetDamping(s), 0.75);
    QCOMPARE(cpSpaceGetGravity(s).x, 1.0);
    QCOMPARE(cpSpaceGetGravity(s).y, 0.0);

    cpBody* b = onlyBody(s);
    QVERIFY(b);
    QCOMPARE(cpBodyGetPosition(b).x, 0.0);
    QCOMPARE(cpBodyGetPosition(b).y, 7.0);
    QCOMPARE(cpBodyGetAngle(b), 0.0);
    QCOMPARE(cpBodyGetAngularVelocity(b), 0.0);
    cpShape* shape = shapesOf(s).front();
    QCOMPARE(cpShapeGetElasticity(shape), 0.0);
    QCOMPARE(cpShapeGetFriction(shape), 0.0);
    QCOMPARE(shapeLayers(shape), allLayers);
    QCOMPARE(cpShapeGetFilter(shape).mask, CP_ALL_CATEGORIES);
    QCOMPARE(shapeGroup(shape), cpGroup(4));

    std::vector<cpConstraint*> joints = constraintsOf(s);
    QCOMPARE(joints.size(), size_t(2));
    cpConstraint* pin = cpConstraintIsPinJoint(joints[0]) ? joints[0] : joints[1];
    cpConstraint* slide = pin == joints[0] ? joints[1] : joints[0];
    QCOMPARE(cpPinJointGetDist(pin), 12.0);
    QVERIFY(std::isinf(cpConstraintGetMaxForce(pin)));
    QVERIFY(std::isinf(cpConstraintGetMaxBias(pin)));
    cpConstraint* fresh = cpPivotJointNew(cpSpaceGetStaticBody(s), b, cpvzero);
    QCOMPARE(cpConstraintGetErrorBias(pin), cpConstraintGetErrorBias(fresh)); // the default
    cpConstraintFree(fresh);
    // A missing body id is the static body; missing limits read as 0.
    QCOMPARE(cpConstraintGetBodyB(slide), cpSpaceGetStaticBody(s));
    QCOMPARE(cpConstraintGetMaxForce(slide), 0.0);
    QCOMPARE(cpConstraintGetErrorBias(slide), 0.5);

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(s, 1.0 / 30);
    freeSpaceAndContents(s);
}

void TestPhysicsReader::bodiesOutsideTheSpace()
{
    // Shapes without a body element get a static body each, kept outside the
    // space; a rogue body is built but not added; an INF body is kinematic, as
    // the editor makes a body of infinite mass, and stays out of the space.
    const QByteArray p = path("outside.phyxml");
    QVERIFY(writeAll(QString::fromLocal8Bit(p),
                     space(circle(1, "<body_id>50</body_id>") + circle(2, "<body_id>50</body_id>")
                           + "<shape type=\"circle\"><radius>1</radius><id>3</id><body_id>60</body_id>"
                             "<body rogue=\"1\"><id>60</id><mass>4</mass><inertia>4</inertia><p x=\"3\" y=\"0\" /></body></shape>"
                           + circle(4, body(70, "INF", "INF", "<p x=\"-8\" y=\"0\" />"))
                           + circle(5, "<body_id>70</body_id><body />")
                           + joint("pin", 60, 0))));
    cpSpace* s = cpSpaceNew();
    cpSpaceSerializer serializer;
    serializer.load(s, p.constData());
    std::map<long long, cpShape*>& m = serializer.shapeMap();
    QCOMPARE(shapeCount(s), 5);
    QCOMPARE(bodyCount(s), 0);
    QCOMPARE(constraintCount(s), 1);
    cpBody* first = cpShapeGetBody(m.at(1));
    QVERIFY(first != cpShapeGetBody(m.at(2)));
    QCOMPARE(cpBodyGetType(first), CP_BODY_TYPE_STATIC);
    QVERIFY(!cpSpaceContainsBody(s, first));
    cpBody* rogue = cpShapeGetBody(m.at(3));
    QCOMPARE(cpBodyGetType(rogue), CP_BODY_TYPE_DYNAMIC);
    QCOMPARE(cpBodyGetMass(rogue), 4.0);
    QVERIFY(!cpSpaceContainsBody(s, rogue));
    cpBody* rock = cpShapeGetBody(m.at(4));
    QCOMPARE(cpShapeGetBody(m.at(5)), rock);
    QCOMPARE(cpBodyGetType(rock), CP_BODY_TYPE_KINEMATIC);
    QVERIFY(!cpSpaceContainsBody(s, rock));
    QCOMPARE(cpBodyGetPosition(rock).x, -8.0);

    // Written again: the rogue and static bodies come back marked rogue.
    const QByteArray again = path("outside2.phyxml");
    QVERIFY(cpSpaceSerializer().save(s, again.constData()));
    QCOMPARE(readAll(QString::fromLocal8Bit(again)).count("<body rogue=\"1\">"), 4);

    for (int i = 0; i < 10; ++i)
        cpSpaceStep(s, 1.0 / 30);
    freeSpaceAndContents(s);
}

QTEST_GUILESS_MAIN(TestPhysicsReader)
#include "tst_physicsreader.moc"
