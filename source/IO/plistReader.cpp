#include "IO/plistReader.h"

#include "IO/textcodec.h"
#include "regularfile.h"
#include "xmlnesting.h"

#include <rapidxml/rapidxml.hpp>

#include <QFile>
#include <QStringList>

#include <string>

namespace {

QString nodeName(const rapidxml::xml_node<char>* node)
{
    return decodeText(node->name(), qsizetype(node->name_size()));
}

QString nodeText(const rapidxml::xml_node<char>* node)
{
    return decodeText(node->value(), qsizetype(node->value_size()));
}

// Largest coordinate or size taken from a sheet, far beyond any texture: sums
// of two such values stay far inside int, where QRect computes its corners.
const int kMaxSheetCoordinate = 1 << 24;

// The integers of a "{a,b,...}" text when it holds exactly count of them, each
// within kMaxSheetCoordinate of 0.
QList<int> parseNumbers(QString text, int count)
{
    text.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    const QStringList parts = text.trimmed().split(QLatin1Char(','), Qt::SkipEmptyParts);
    QList<int> numbers;
    if (parts.size() != count)
        return numbers;
    for (const QString& part : parts) {
        const int n = part.trimmed().toInt();
        if (n > kMaxSheetCoordinate || n < -kMaxSheetCoordinate)
            return QList<int>();
        numbers.append(n);
    }
    return numbers;
}

} // namespace

// Reads key/value pairs until the alternation breaks; what came before stays.
void parseDict(rapidxml::xml_node<char>* dict, QMap<QString, QVariant>* map)
{
    rapidxml::xml_node<char>* node = dict->first_node();
    while (node && nodeName(node) == QLatin1String("key")) {
        const QString key = nodeText(node);
        rapidxml::xml_node<char>* valueNode = node->next_sibling();
        if (!valueNode)
            break;
        const QString kind = nodeName(valueNode);
        QVariant value;
        if (kind == QLatin1String("integer")) {
            value = nodeText(valueNode).toInt();
        } else if (kind == QLatin1String("string")) {
            value = nodeText(valueNode);
        } else if (kind == QLatin1String("dict")) {
            QMap<QString, QVariant> inner;
            parseDict(valueNode, &inner);
            value = inner;
        }
        map->insert(key, value);
        node = valueNode->next_sibling();
    }
}

plistReader::plistReader() = default;

plistReader::~plistReader() = default;

bool plistReader::readFile(const QString& path)
{
    m_error.clear();
    std::string buffer;
    const FileRead read = readRegularFile(QFile::encodeName(path).toStdString(), buffer);
    if (!read.ok()) {
        m_error = decodeText(read.error);
        if (read.status == FileRead::Refused)
            qWarning("Could not read property list %s: %s", qPrintable(path), read.error.c_str());
        return false;
    }

    // Everything is read into a map of its own first, so that a file that turns
    // out to be broken leaves this one untouched.
    QMap<QString, QVariant> entries;
    try {
        if (xmlNestingExceeded(buffer.data())) {
            m_error = QStringLiteral("its elements are nested too deeply");
            qWarning("Could not read property list %s: elements nested too deeply", qPrintable(path));
            return false;
        }
        rapidxml::xml_document<char> document;
        document.parse<0>(&buffer[0]);
        rapidxml::xml_node<char>* plist = document.first_node("plist");
        if (!plist) {
            m_error = QStringLiteral("it is not a property list");
            return false;
        }
        if (rapidxml::xml_node<char>* dict = plist->first_node("dict"))
            parseDict(dict, &entries);
    } catch (const std::exception& e) {
        m_error = QStringLiteral("it is not a well-formed property list (%1)").arg(decodeText(e.what()));
        qWarning("Could not read property list %s: %s", qPrintable(path), e.what());
        return false;
    }

    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it)
        insert(it.key(), it.value());
    return true;
}

QRect plistReader::parseStringToRect(const QString& text)
{
    const QList<int> n = parseNumbers(text, 4);
    return n.isEmpty() ? QRect() : QRect(n[0], n[1], n[2], n[3]);
}

QPoint plistReader::parseStringToPoint(const QString& text)
{
    const QList<int> n = parseNumbers(text, 2);
    return n.isEmpty() ? QPoint() : QPoint(n[0], n[1]);
}
