#include "IO/iotransformer.h"
#include "IO/textcodec.h"

#include "cpSpaceSerializer.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <sys/file.h>

namespace {

// A stored object: writes the attributes and children it was given, and on
// read runs whatever the test asks of it.
class Element : public IONode
{
public:
    explicit Element(std::string key, IOTransformer::Attributes attributes = {})
        : m_key(std::move(key)), m_attributes(std::move(attributes)) {}

    Element& add(Element child)
    {
        children.push_back(std::move(child));
        return *this;
    }

    void write(IOTransformer& io) override
    {
        io.writeAttributes(m_attributes);
        for (Element& child : children)
            io.write(child);
    }
    void read(IOTransformer& io) override
    {
        if (onRead)
            onRead(io);
    }
    std::string key() override { return m_key; }

    std::vector<Element> children;
    std::function<void(IOTransformer&)> onRead;

private:
    std::string m_key;
    IOTransformer::Attributes m_attributes;
};

// Reads any element with everything below it into a compact text:
// name, attributes in order, then the child elements.
class Walker : public IONode
{
public:
    Walker(std::string key, std::string* out) : m_key(std::move(key)), m_out(out) {}

    void read(IOTransformer& io) override
    {
        IOTransformer::Attributes attributes;
        io.readAttributes(attributes);
        *m_out += "(" + m_key;
        for (const auto& a : attributes)
            *m_out += " " + a.first + "=" + a.second;
        for (std::string next = io.peekNextNode(); !next.empty(); next = io.peekNextNode()) {
            Walker child(next, m_out);
            if (!io.read(child))
                break;
        }
        *m_out += ")";
    }
    void write(IOTransformer&) override {}
    std::string key() override { return m_key; }

private:
    std::string m_key;
    std::string* m_out;
};

std::string walk(const QString& path, const std::string& rootKey = "view")
{
    IOTransformer io(encodeText(path), nullptr, nullptr);
    io.load(nullptr);
    std::string out;
    Walker root(rootKey, &out);
    if (!io.read(root))
        return "<no root>";
    return out;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestIOTransformer : public QObject
{
    Q_OBJECT
private slots:
    void readTakesLikeNamedSiblingsInOrder();
    void interleavedKindsReadKindByKind();
    void readingConsumesAttributes();
    void nothingIsCurrentBeforeFirstReadOrWrite();
    void peekSeesTextChildren();
    void printedForm();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void characterReferencesXmlCannotHold();
    void whatXmlCannotHoldIsLeftOut_data();
    void whatXmlCannotHoldIsLeftOut();
    void namesAreCaseSensitive();
    void declarationsAndCommentsAreSkipped();
    void parseErrorsPassOutOfLoad_data();
    void parseErrorsPassOutOfLoad();
    void missingLevelFileReadsAsEmpty();
    void saveReplacesWholeFile();
    void failedSaveKeepsPreviousFile_data();
    void failedSaveKeepsPreviousFile();
    void withoutSerializerOnlyLevelFileIsTouched();
    void physicsFileFollowsLevelFile();
    void levelAndPhysicsFileReplacedTogether_data();
    void levelAndPhysicsFileReplacedTogether();
    void physicsFileLoadedOnlyAfterLevelParses();
    void savedPairCarriesOneMark();
    void tornPairIsSeen_data();
    void tornPairIsSeen();
    void leftoversOfKilledSavesAreRemoved();
};

void TestIOTransformer::readTakesLikeNamedSiblingsInOrder()
{
    IOTransformer io(encodeText(testDataPath("io/siblings.xml")), nullptr, nullptr);
    io.load(nullptr);

    QStringList items;
    std::string lineId;
    std::string afterItems;
    Element view("view");
    view.onRead = [&](IOTransformer& t) {
        // The repeated-children loop of every reader.
        while (t.nodeExists("item")) {
            Element item("item");
            item.onRead = [&](IOTransformer& it) {
                items << QString::fromStdString(it.readAttribute("id"));
                // A nested like-named child is the nested element's, not a sibling.
                QVERIFY(it.nodeExists("item") == (items.last() == "2"));
            };
            QVERIFY(t.read(item));
        }
        afterItems = t.peekNextNode();
        Element line("line");
        line.onRead = [&](IOTransformer& it) { lineId = it.readAttribute("id"); };
        QVERIFY(t.read(line));
        QVERIFY(!t.nodeExists("line"));
    };
    QVERIFY(io.read(view));

    QCOMPARE(items, QStringList({"1", "2", "3"}));
    QCOMPARE(afterItems, std::string("line")); // other names stay in place
    QCOMPARE(lineId, std::string("L"));

    // The root itself was consumed.
    Element again("view");
    QVERIFY(!io.read(again));
    QVERIFY(!io.nodeExists("view"));
}

// The root reader takes one kind after the other while the writer mixes them in
// stacking order; an element written after a kind ran out is still found.
void TestIOTransformer::interleavedKindsReadKindByKind()
{
    IOTransformer io("unused.xml", nullptr, nullptr);
    Element written("view");
    for (const char* id : {"a1", "b1", "a2", "a3", "b2", "c1", "a4"})
        written.add(Element(std::string(1, id[0]), {{"id", id}}));
    io.write(written);

    std::vector<std::string> order;
    Element view("view");
    view.onRead = [&](IOTransformer& t) {
        auto take = [&](const std::string& kind) {
            while (t.nodeExists(kind)) {
                Element e(kind);
                e.onRead = [&](IOTransformer& it) { order.push_back(it.readAttribute("id")); };
                QVERIFY(t.read(e));
            }
        };
        take("b");
        take("a");
        Element late("b", {{"id", "b3"}});
        t.write(late);
        take("b");
        take("c");
        QCOMPARE(t.peekNextNode(), std::string());
    };
    QVERIFY(io.read(view));
    QCOMPARE(order, std::vector<std::string>({"b1", "b2", "a1", "a2", "a3", "a4", "b3", "c1"}));
}

void TestIOTransformer::readingConsumesAttributes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.xml");
    QVERIFY(writeBytes(path, R"(<view a="1" b="" c="3" d="4" e="5"/>)"));

    IOTransformer io(encodeText(path), nullptr, nullptr);
    io.load(nullptr);
    Element view("view");
    view.onRead = [](IOTransformer& t) {
        QVERIFY(t.attributeExists("b"));
        QCOMPARE(t.readAttribute("b"), std::string());
        QVERIFY(!t.attributeExists("b")); // present-but-empty and absent differ only before
        QCOMPARE(t.readAttribute("b"), std::string());
        QCOMPARE(t.readAttribute("d"), std::string("4"));
        QCOMPARE(t.readAttribute("d"), std::string());

        IOTransformer::Attributes rest = {{"kept", "x"}};
        t.readAttributes(rest);
        const IOTransformer::Attributes expected = {{"kept", "x"}, {"a", "1"}, {"c", "3"}, {"e", "5"}};
        QCOMPARE(rest, expected);
        QVERIFY(!t.attributeExists("a"));

        IOTransformer::Attributes none;
        t.readAttributes(none);
        QVERIFY(none.empty());
    };
    QVERIFY(io.read(view));
}

void TestIOTransformer::nothingIsCurrentBeforeFirstReadOrWrite()
{
    IOTransformer io(encodeText(testDataPath("io/siblings.xml")), nullptr, nullptr);
    io.load(nullptr);
    QVERIFY(!io.nodeExists("view"));
    QVERIFY(!io.attributeExists("id"));
    QCOMPARE(io.peekNextNode(), std::string());

    // After a read the document itself is current, and stays so.
    Element missing("nothing");
    QVERIFY(!io.read(missing));
    QVERIFY(io.nodeExists("view"));
    QCOMPARE(io.peekNextNode(), std::string("view"));
}

void TestIOTransformer::peekSeesTextChildren()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("text.xml");
    QVERIFY(writeBytes(path, "<view>loose text<item/></view>"));
    IOTransformer io(encodeText(path), nullptr, nullptr);
    io.load(nullptr);
    Element view("view");
    view.onRead = [](IOTransformer& t) {
        QCOMPARE(t.peekNextNode(), std::string());
        QVERIFY(t.nodeExists("item"));
        QVERIFY(!t.nodeExists("")); // a text child is no element
    };
    QVERIFY(io.read(view));
}

void TestIOTransformer::printedForm()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    IOTransformer io(encodeText(path), nullptr, nullptr);

    Element view("view", {{"zoom", "2"}, {"author", "me"}});
    view.add(Element("item", {{"b", "1"}, {"a", "<>&"}}));
    view.add(Element("item", {{"q", R"(say "hi")"}, {"r", R"(it's "x")"}}));
    Element group("group");
    group.add(Element("item"));
    view.add(std::move(group));
    view.add(Element("empty"));
    io.write(view);
    QVERIFY(io.save(nullptr));

    // Attributes in written order, tab indentation, short form for childless
    // elements, single quotes around values that hold a double quote.
    const QByteArray expected =
        "<view zoom=\"2\" author=\"me\">\n"
        "\t<item b=\"1\" a=\"&lt;&gt;&amp;\"/>\n"
        "\t<item q='say \"hi\"' r='it&apos;s \"x\"'/>\n"
        "\t<group>\n"
        "\t\t<item/>\n"
        "\t</group>\n"
        "\t<empty/>\n"
        "</view>\n"
        "\n";
    QCOMPARE(contents(path), expected);
}

void TestIOTransformer::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("markup characters") << QStringLiteral("a<b>c&d\"e'f");
    QTest::newRow("entity lookalike") << QStringLiteral("&amp; &lt;");
    QTest::newRow("non-ascii") << QStringLiteral("Gr\u00fc\u00dfe \u2603");
    QTest::newRow("whitespace") << QStringLiteral("  two\tspaces\nline ");
    QTest::newRow("empty") << QString();
}

void TestIOTransformer::valuesRoundTrip()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    const std::string path = encodeText(dir.filePath("level.xml"));
    {
        IOTransformer io(path, nullptr, nullptr);
        Element view("view", {{"name", encodeText(value)}});
        io.write(view);
        QVERIFY(io.save(nullptr));
    }
    IOTransformer io(path, nullptr, nullptr);
    io.load(nullptr);
    QString read = QStringLiteral("<unread>");
    Element view("view");
    view.onRead = [&](IOTransformer& t) { read = decodeText(t.readAttribute("name")); };
    QVERIFY(io.read(view));
    QCOMPARE(read, value);
}

// A file may name a character XML cannot hold by reference; what is read is
// what a save would write, so a level reads back as it was read.
void TestIOTransformer::characterReferencesXmlCannotHold()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("level.xml");
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<view group=\"&#0;\" name=\"a&#1;b&#x1f;c\"><item key=\"&#11;k\"/></view>\n");
    }
    IOTransformer io(encodeText(file), nullptr, nullptr);
    QVERIFY(io.load(nullptr));
    std::string group = "<unread>";
    IOTransformer::Attributes rest;
    Element view("view");
    view.onRead = [&](IOTransformer& t) {
        group = t.readAttribute("group");
        t.readAttributes(rest);
    };
    QVERIFY(io.read(view));
    QCOMPARE(QByteArray::fromStdString(group), QByteArray());
    QCOMPARE(rest.size(), std::size_t(1));
    QCOMPARE(QByteArray::fromStdString(rest.front().second), QByteArray("abc"));
}

void TestIOTransformer::whatXmlCannotHoldIsLeftOut_data()
{
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("read");
    QTest::newRow("NUL inside") << QByteArray("ab\0cd", 5) << QByteArray("abcd");
    QTest::newRow("NUL first") << QByteArray("\0x", 2) << QByteArray("x");
    QTest::newRow("C0 controls") << QByteArray("a\x01\x08\x0b\x0c\x1b\x1f") << QByteArray("a");
    QTest::newRow("tab, line feed, return and DEL stay") << QByteArray("a\tb\nc\rd\x7f") << QByteArray("a\tb\nc\rd\x7f");
    QTest::newRow("surrogate") << QByteArray("a\xed\xa0\x80" "b\xed\xbf\xbf") << QByteArray("ab");
    QTest::newRow("U+FFFE and U+FFFF") << QByteArray("\xef\xbf\xbe" "a\xef\xbf\xbf") << QByteArray("a");
    QTest::newRow("U+FFFD and U+D7FF stay") << QByteArray("\xef\xbf\xbd\xed\x9f\xbf") << QByteArray("\xef\xbf\xbd\xed\x9f\xbf");
    QTest::newRow("lone surrogate of a QString") << QByteArray::fromStdString(encodeText(QString(QChar(0xd800)) + QLatin1Char('z')))
                                                 << QByteArray("?z");
}

// A save never writes a level that its reader refuses or cuts short.
void TestIOTransformer::whatXmlCannotHoldIsLeftOut()
{
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, read);
    QTemporaryDir dir;
    const std::string path = encodeText(dir.filePath("level.xml"));
    {
        IOTransformer io(path, nullptr, nullptr);
        Element view("view", {{"text", written.toStdString()}, {"after", "kept"}});
        io.write(view);
        QVERIFY(io.save(nullptr));
    }
    IOTransformer io(path, nullptr, nullptr);
    QVERIFY(io.load(nullptr));
    std::string text = "<unread>";
    std::string after;
    Element view("view");
    view.onRead = [&](IOTransformer& t) {
        text = t.readAttribute("text");
        after = t.readAttribute("after");
    };
    QVERIFY(io.read(view));
    QCOMPARE(QByteArray::fromStdString(text).toHex(), read.toHex());
    QCOMPARE(after, std::string("kept"));
}

void TestIOTransformer::namesAreCaseSensitive()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("case.xml");
    QVERIFY(writeBytes(path, R"(<View Zoom="1"/><view Zoom="2"><Item/></view>)"));
    IOTransformer io(encodeText(path), nullptr, nullptr);
    io.load(nullptr);

    std::string zoom;
    bool lowerItem = true;
    Element view("view");
    view.onRead = [&](IOTransformer& t) {
        QVERIFY(!t.attributeExists("zoom"));
        zoom = t.readAttribute("Zoom");
        lowerItem = t.nodeExists("item");
    };
    QVERIFY(io.read(view));
    QCOMPARE(zoom, std::string("2")); // the capitalised View was passed over
    QVERIFY(!lowerItem);
    QVERIFY(!io.read(view));
    QVERIFY(io.nodeExists("View"));
}

void TestIOTransformer::declarationsAndCommentsAreSkipped()
{
    const std::string plain = walk(testDataPath("io/plain.xml"));
    QCOMPARE(plain, std::string("(view zoom=2(item id=1))"));
    QCOMPARE(walk(testDataPath("io/declared.xml")), plain);
}

void TestIOTransformer::parseErrorsPassOutOfLoad_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("truncated") << QByteArray("<view><item id=\"1\"");
    QTest::newRow("unclosed root") << QByteArray("<view><item/>");
    QTest::newRow("stray end tag") << QByteArray("</view>");
    QTest::newRow("not xml") << QByteArray("just some words");
    QTest::newRow("unquoted attribute") << QByteArray("<view a=1/>");
    QTest::newRow("bad entity") << QByteArray("<view a=\"&#xFFFFFFF;\"/>");
    QTest::newRow("nested too deeply") << QByteArray("<view>").repeated(100000);
    // Markup the parser skips differently from a naive scan must not hide nesting.
    QTest::newRow("nesting behind an unknown declaration")
        << "<!x [>" + QByteArray("<view>").repeated(200000) + "]>";
    QTest::newRow("nesting behind a quote in a name") << "<view\">" + QByteArray("<view>").repeated(200000) + "\"";
    // The parser would end the document at the NUL and see no level at all.
    QTest::newRow("NUL first") << QByteArray("\0<view boundsLeft=\"1\"/>", 24);
    QTest::newRow("NUL after the root") << QByteArray("<view/>\0<item/>", 16);
}

void TestIOTransformer::parseErrorsPassOutOfLoad()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.xml");
    QVERIFY(writeBytes(path, bytes));
    IOTransformer io(encodeText(path), nullptr, nullptr);
    QVERIFY_THROWS_EXCEPTION(rapidxml::parse_error, io.load(nullptr));

    // Nothing half-parsed is left to read.
    Element view("view");
    QVERIFY(!io.read(view));
}

void TestIOTransformer::missingLevelFileReadsAsEmpty()
{
    QTemporaryDir dir;
    IOTransformer io(encodeText(dir.filePath("absent.xml")), nullptr, nullptr);
    QVERIFY(!io.load(nullptr));
    QVERIFY(io.errorString().contains(QStringLiteral("does not exist")));
    Element view("view");
    QVERIFY(!io.read(view));
    QCOMPARE(io.peekNextNode(), std::string());
}

void TestIOTransformer::saveReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    QVERIFY(writeBytes(path, QByteArray(4096, 'x')));
    {
        IOTransformer io(encodeText(path), nullptr, nullptr);
        Element view("view");
        io.write(view);
        QVERIFY(io.save(nullptr));
    }
    QCOMPARE(contents(path), QByteArray("<view/>\n\n"));

    // Nothing written: the file holds only the printer's closing line break.
    IOTransformer empty(encodeText(path), nullptr, nullptr);
    QVERIFY(empty.save(nullptr));
    QCOMPARE(contents(path), QByteArray("\n"));
}

void TestIOTransformer::failedSaveKeepsPreviousFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("missing folder") << QStringLiteral("no/such/folder/level.xml") << false;
    QTest::newRow("target is a folder") << QStringLiteral("folder") << false;
    QTest::newRow("read-only file") << QStringLiteral("locked.xml") << true;
}

void TestIOTransformer::failedSaveKeepsPreviousFile()
{
    QFETCH(QString, target);
    QFETCH(bool, readOnly);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    const QString path = dir.filePath(target);
    const QByteArray previous("<view old=\"1\"/>\n");
    if (readOnly) {
        QVERIFY(writeBytes(path, previous));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        QFile probe(path);
        if (probe.open(QIODevice::WriteOnly | QIODevice::Append))
            QSKIP("running with rights that write read-only files");
    }

    IOTransformer io(encodeText(path), nullptr, nullptr);
    Element view("view", {{"new", "1"}});
    io.write(view);
    QVERIFY(!io.save(nullptr));

    if (readOnly)
        QCOMPARE(contents(path), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), readOnly ? 1 : 0);
}

void TestIOTransformer::withoutSerializerOnlyLevelFileIsTouched()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    IOTransformer io(encodeText(path), nullptr, nullptr);
    QVERIFY(io.physics_io() == nullptr);
    Element view("view");
    io.write(view);
    QVERIFY(io.save(nullptr));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"level.xml"}));
}

void TestIOTransformer::physicsFileFollowsLevelFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.v2.xml");
    cpSpace* space = cpSpaceNew();
    cpSpaceSetGravity(space, cpv(0, -250));
    {
        cpSpaceSerializer serializer;
        IOTransformer io(encodeText(path), nullptr, &serializer);
        QCOMPARE(io.physics_io(), &serializer);
        Element view("view");
        io.write(view);
        QVERIFY(io.save(space));
    }
    // The whole level name, extension included, then ".phyxml".
    QVERIFY(QFile::exists(path + ".phyxml"));

    cpSpace* loaded = cpSpaceNew();
    {
        cpSpaceSerializer serializer;
        IOTransformer io(encodeText(path), nullptr, &serializer);
        io.load(loaded);
        Element view("view");
        QVERIFY(io.read(view));
    }
    QCOMPARE(cpSpaceGetGravity(loaded).y, -250.0);

    // A level that cannot be written (here a folder stands in its place) gets
    // no physics file either, though the physics file's place is writable.
    const QString unwritable = dir.filePath("folder");
    QVERIFY(QDir(dir.path()).mkdir("folder"));
    {
        cpSpaceSerializer serializer;
        IOTransformer io(encodeText(unwritable), nullptr, &serializer);
        Element view("view");
        io.write(view);
        QVERIFY(!io.save(space));
    }
    QVERIFY(!QFile::exists(unwritable + ".phyxml"));

    cpSpaceFree(loaded);
    cpSpaceFree(space);
}

void TestIOTransformer::levelAndPhysicsFileReplacedTogether_data()
{
    // Which of the two places holds a folder, so that its file cannot be replaced.
    QTest::addColumn<QString>("blocked");
    QTest::newRow("both written") << QString();
    QTest::newRow("physics file blocked") << QStringLiteral("level.xml.phyxml");
    QTest::newRow("level file blocked") << QStringLiteral("level.xml");
}

// A save replaces both files or neither, and says which.
void TestIOTransformer::levelAndPhysicsFileReplacedTogether()
{
    QFETCH(QString, blocked);
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    const QString physics = path + ".phyxml";
    const QByteArray oldLevel("<view old=\"1\"/>\n");
    const QByteArray oldPhysics("<space/>\n");
    if (!blocked.isEmpty())
        QVERIFY(QDir(dir.path()).mkdir(blocked));
    if (dir.filePath(blocked) != path)
        QVERIFY(writeBytes(path, oldLevel));
    if (dir.filePath(blocked) != physics)
        QVERIFY(writeBytes(physics, oldPhysics));

    cpSpace* space = cpSpaceNew();
    cpSpaceSerializer serializer;
    IOTransformer io(encodeText(path), nullptr, &serializer);
    Element view("view", {{"new", "1"}});
    io.write(view);
    const bool ok = blocked.isEmpty();
    QCOMPARE(io.save(space), ok);
    QCOMPARE(io.errorString().isEmpty(), ok);
    if (ok) {
        QVERIFY(contents(path).contains("new=\"1\""));
        QVERIFY(contents(physics).contains("<space"));
    } else {
        const QString other = dir.filePath(blocked) == path ? physics : path;
        QCOMPARE(contents(other), other == path ? oldLevel : oldPhysics);
    }
    // No temporary or spare copy is left beside them.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), ok ? 2 : 1);
    cpSpaceFree(space);
}

void TestIOTransformer::physicsFileLoadedOnlyAfterLevelParses()
{
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.xml");
    const QString absent = dir.filePath("absent.xml");
    QVERIFY(writeBytes(broken, "<view><item"));
    QVERIFY(QFile::copy(testDataPath("io/gravity.phyxml"), broken + ".phyxml"));
    QVERIFY(QFile::copy(testDataPath("io/gravity.phyxml"), absent + ".phyxml"));

    cpSpace* space = cpSpaceNew();
    cpSpaceSerializer serializer;
    {
        IOTransformer io(encodeText(broken), nullptr, &serializer);
        QVERIFY_THROWS_EXCEPTION(rapidxml::parse_error, io.load(space));
    }
    QCOMPARE(cpSpaceGetGravity(space).y, 0.0);

    // A missing level file is an empty document; its physics file still loads.
    {
        IOTransformer io(encodeText(absent), nullptr, &serializer);
        io.load(space);
    }
    QCOMPARE(cpSpaceGetGravity(space).y, -100.0);
    cpSpaceFree(space);
}

namespace {

// The save mark on the root element of a saved file ("" for none).
QByteArray markOf(const QByteArray& text)
{
    const QByteArray attribute = QByteArray(kSaveMarkAttribute) + "=\"";
    const qsizetype at = text.indexOf(attribute);
    if (at < 0 || text.indexOf('>') < at)
        return QByteArray();
    const qsizetype from = at + attribute.size();
    return text.mid(from, text.indexOf('"', from) - from);
}

bool savePair(const QString& path, const IOTransformer::Attributes& attributes, cpSpace* space)
{
    cpSpaceSerializer serializer;
    IOTransformer io(encodeText(path), nullptr, &serializer);
    Element view("view", attributes);
    view.add(Element("item"));
    io.write(view);
    return io.save(space);
}

} // namespace

// Both files of a save name it alike; the same level saved again writes the
// same bytes; the mark is the transformer's own and never reaches a reader.
void TestIOTransformer::savedPairCarriesOneMark()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    cpSpace* space = cpSpaceNew();
    QVERIFY(savePair(path, {{"zoom", "2"}}, space));
    const QByteArray level = contents(path);
    const QByteArray mark = markOf(level);
    QCOMPARE(mark.size(), 16);
    QCOMPARE(markOf(contents(path + ".phyxml")), mark);
    QVERIFY(level.startsWith("<view zoom=\"2\" " + QByteArray(kSaveMarkAttribute) + "=\"" + mark + "\">"));

    QVERIFY(savePair(path, {{"zoom", "2"}}, space));
    QCOMPARE(contents(path), level);
    QVERIFY(savePair(path, {{"zoom", "3"}}, space));
    QVERIFY(markOf(contents(path)) != mark);

    cpSpaceSerializer serializer;
    IOTransformer io(encodeText(path), nullptr, &serializer);
    QVERIFY(io.load(space));
    QVERIFY(io.physicsMatches());
    IOTransformer::Attributes attributes;
    Element view("view");
    view.onRead = [&](IOTransformer& t) { t.readAttributes(attributes); };
    QVERIFY(io.read(view));
    QCOMPARE(attributes, (IOTransformer::Attributes{{"zoom", "3"}}));
    cpSpaceFree(space);
}

void TestIOTransformer::tornPairIsSeen_data()
{
    // Which physics file lies beside the level saved last.
    QTest::addColumn<QString>("physics");
    QTest::addColumn<bool>("matches");
    QTest::newRow("its own") << "own" << true;
    QTest::newRow("one of an earlier save") << "earlier" << false;
    QTest::newRow("one from before saves were marked") << "unmarked" << false;
    QTest::newRow("none") << "none" << false;
    QTest::newRow("unmarked pair") << "unmarked pair" << true;
}

void TestIOTransformer::tornPairIsSeen()
{
    QFETCH(QString, physics);
    QFETCH(bool, matches);
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    const QString physicsPath = path + ".phyxml";
    cpSpace* space = cpSpaceNew();
    QVERIFY(savePair(path, {{"zoom", "1"}}, space));
    const QByteArray earlier = contents(physicsPath);
    QVERIFY(savePair(path, {{"zoom", "2"}}, space));
    if (physics == "earlier")
        QVERIFY(writeBytes(physicsPath, earlier));
    else if (physics == "unmarked")
        QVERIFY(writeBytes(physicsPath, "<space/>"));
    else if (physics == "none")
        QVERIFY(QFile::remove(physicsPath));
    else if (physics == "unmarked pair")
        QVERIFY(writeBytes(path, "<view zoom=\"2\"/>") && writeBytes(physicsPath, "<space/>"));

    cpSpaceSerializer serializer;
    IOTransformer io(encodeText(path), nullptr, &serializer);
    QVERIFY(io.load(space));
    QCOMPARE(io.physicsMatches(), matches);
    cpSpaceFree(space);
}

// Temporary files and previous versions that killed saves left beside the
// level and its physics file go with the next save; other files stay, and
// so does the temporary file of a save still under way.
void TestIOTransformer::leftoversOfKilledSavesAreRemoved()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("level.xml");
    const QStringList leftovers {"level.xml.save-a1B2c3", "level.xml.phyxml.save-ZZZZZZ",
                                 "level.xml.previous0", "level.xml.phyxml.previous12"};
    const QStringList kept {"level.xml.backup", "level.xml.save-abc", "level.xml.save-abcdefg",
                            "other.xml.save-a1B2c3", "level.xml.previous", "level.xml.save-live01"};
    for (const QString& name : leftovers + kept)
        QVERIFY(writeBytes(dir.filePath(name), "x"));
    QFile live(dir.filePath("level.xml.save-live01"));
    QVERIFY(live.open(QIODevice::ReadOnly));
    QCOMPARE(flock(live.handle(), LOCK_EX), 0);

    cpSpace* space = cpSpaceNew();
    QVERIFY(savePair(path, {}, space));
    cpSpaceFree(space);
    QStringList expected = kept + QStringList{"level.xml", "level.xml.phyxml"};
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

QTEST_GUILESS_MAIN(TestIOTransformer)
#include "tst_iotransformer.moc"
