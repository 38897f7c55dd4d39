#ifndef XMLNESTING_H
#define XMLNESTING_H

#include <cctype>
#include <climits>
#include <cstring>

// Both XML parsers in use (rapidxml for levels and property lists, TinyXML for
// physics files) parse nested elements recursively, and a file nested deeply
// enough exhausts the stack. TinyXML also checks every new attribute against
// all earlier ones of its element, so one element with a huge number of
// attributes takes hours. Files are checked with this guard before parsing.

// Real level files and property lists nest a few dozen levels at most.
constexpr int kMaxXmlNesting = 1000;

// The parser a text is checked for: each splits markup its own way, and a check
// that skipped more than its parser does (a bracket in an unknown "<!" node, a
// quote in a name, a character reference running over markup) would let
// nesting the parser sees pass unseen.
enum class XmlParser { Rapid, Tiny };

enum class XmlFault { None, TooDeep, TooManyAttributes };

struct XmlGuardResult
{
    XmlFault fault = XmlFault::None;
    // The opening tag of the element that broke the bound.
    const char* at = nullptr;
    explicit operator bool() const { return fault != XmlFault::None; }
};

namespace xmlguard {

// A plain scan past the next occurrence of end (or to the end of the text): a
// sanitizer's strstr checks the whole rest of the text on every call, which
// makes a long file take minutes.
inline const char* skipPast(const char* p, const char* end)
{
    for (; *p; ++p) {
        int i = 0;
        while (end[i] && p[i] == end[i])
            ++i;
        if (!end[i])
            return p + i;
    }
    return p;
}

inline bool rapidSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
inline bool rapidNameChar(char c) { return c && !rapidSpace(c) && c != '/' && c != '>' && c != '?'; }
inline bool rapidAttributeNameChar(char c) { return rapidNameChar(c) && c != '<' && c != '=' && c != '!'; }

// TinyXML's white space and name characters (bytes from 127 up count as letters).
inline bool tinySpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
inline bool tinyNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || std::isalpha(u) || c == '_';
}
inline bool tinyNameChar(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || std::isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':';
}

inline bool startsWithNoCase(const char* p, const char* prefix)
{
    for (; *prefix; ++p, ++prefix)
        if (std::tolower(static_cast<unsigned char>(*p)) != *prefix)
            return false;
    return true;
}

// Where TinyXML's reader of one character of text or of an attribute value
// goes on. A character reference runs to the next ';' and, like TinyXML, only
// checks the digits after its last 'x' or '#', so it can pass over markup.
// Null where TinyXML stops with an error.
inline const char* tinyChar(const char* p)
{
    if (p[0] != '&' || p[1] != '#' || !p[2])
        return p + 1;
    const bool hex = p[2] == 'x';
    if (hex && !p[3])
        return nullptr;
    const char* end = std::strchr(p + (hex ? 3 : 2), ';');
    if (!end)
        return nullptr;
    for (const char* q = end - 1; *q != (hex ? 'x' : '#'); --q)
        if (!(hex ? std::isxdigit(static_cast<unsigned char>(*q)) : std::isdigit(static_cast<unsigned char>(*q))))
            return nullptr;
    return end + 1;
}

// Past the '=' between an attribute's name and value, with the white space
// around it; null when there is no '='.
inline const char* pastEquals(const char* p, bool (*isSpace)(char))
{
    while (isSpace(*p))
        ++p;
    if (*p != '=')
        return nullptr;
    ++p;
    while (isSpace(*p))
        ++p;
    return p;
}

// Past the end of an attribute (name, '=', value) the way TinyXML reads it;
// null where TinyXML stops with an error.
inline const char* tinyAttribute(const char* p)
{
    while (tinySpace(*p))
        ++p;
    if (!tinyNameStart(*p))
        return nullptr;
    while (tinyNameChar(*p))
        ++p;
    if (!(p = pastEquals(p, tinySpace)))
        return nullptr;
    if (*p == '"' || *p == '\'') {
        const char quote = *p++;
        while (*p && *p != quote)
            if (!(p = tinyChar(p)))
                return nullptr;
        return *p && p[1] ? p + 1 : nullptr;
    }
    for (; *p && !tinySpace(*p) && *p != '/' && *p != '>'; ++p)
        if (*p == '"' || *p == '\'')
            return nullptr;
    return p;
}

// Past an attribute (name, '=', quoted value) the way rapidxml reads it; null
// where rapidxml stops with an error.
inline const char* rapidAttribute(const char* p)
{
    if (!rapidAttributeNameChar(*p))
        return nullptr;
    while (rapidAttributeNameChar(*p))
        ++p;
    if (!(p = pastEquals(p, rapidSpace)))
        return nullptr;
    const char quote = *p;
    if (quote != '"' && quote != '\'')
        return nullptr;
    const char* close = std::strchr(p + 1, quote);
    return close ? close + 1 : nullptr;
}

// Past TinyXML's declaration, from behind "<?xml": it reads version, encoding
// and standalone as attributes and skips other words.
inline const char* tinyDeclaration(const char* p)
{
    while (p && *p && *p != '>') {
        while (tinySpace(*p))
            ++p;
        if (startsWithNoCase(p, "version") || startsWithNoCase(p, "encoding") || startsWithNoCase(p, "standalone")) {
            p = tinyAttribute(p);
        } else {
            while (*p && *p != '>' && !tinySpace(*p))
                ++p;
        }
    }
    return p && *p ? p + 1 : p;
}

// Past rapidxml's document type, from behind "<!DOCTYPE ": brackets matter
// only here, and only from an opening one on. Null where rapidxml stops.
inline const char* rapidDoctype(const char* p)
{
    for (; *p && *p != '>'; ++p) {
        if (*p != '[')
            continue;
        int brackets = 1;
        for (++p; *p && brackets > 0; ++p) {
            if (*p == '[')
                ++brackets;
            else if (*p == ']')
                --brackets;
        }
        if (!*p)
            return nullptr;
        --p;
    }
    return *p ? p + 1 : p;
}

} // namespace xmlguard

// Checks the NUL-terminated text, split into markup exactly as the parser
// splits it, for an element nested deeper than maxDepth or carrying more than
// maxAttributes attributes. Where the parser would stop with an error, the
// check stops too: nothing after that point is parsed.
inline XmlGuardResult xmlGuardCheck(const char* text, XmlParser parser, int maxDepth = kMaxXmlNesting,
                                    int maxAttributes = INT_MAX)
{
    using namespace xmlguard;
    const bool tiny = parser == XmlParser::Tiny;
    int depth = 0;
    const char* p = text;
    while (p && *p) {
        if (*p != '<') {
            p = tiny ? tinyChar(p) : p + 1;
            continue;
        }
        const char* tag = p;
        if (tiny && startsWithNoCase(p, "<?xml")) {
            p = tinyDeclaration(p + 5);
        } else if (!tiny && p[1] == '?') {
            // Declaration or processing instruction.
            p = skipPast(p + 2, "?>");
        } else if (std::strncmp(p, "<!--", 4) == 0) {
            p = skipPast(p + 4, "-->");
        } else if (std::strncmp(p, "<![CDATA[", 9) == 0) {
            p = skipPast(p + 9, "]]>");
        } else if (!tiny && std::strncmp(p, "<!DOCTYPE", 9) == 0 && rapidSpace(p[9])) {
            p = rapidDoctype(p + 10);
        } else if (p[1] == '/') {
            if (depth > 0)
                --depth;
            p = skipPast(p + 2, ">");
        } else if (p[1] == '!' || p[1] == '?' || (tiny && !tinyNameStart(p[1]))) {
            // Anything else that starts with "<!" (for TinyXML also a document
            // type, a processing instruction or a bad name) ends at its first '>'.
            p = skipPast(p + 1, ">");
        } else {
            // An element: name, attributes, then '>' or "/>".
            ++p;
            const char* name = p;
            while (tiny ? tinyNameChar(*p) : rapidNameChar(*p))
                ++p;
            if (p == name)
                return {};
            int attributes = 0;
            while (true) {
                while (tiny ? tinySpace(*p) : rapidSpace(*p))
                    ++p;
                if (*p == '/') {
                    if (p[1] != '>')
                        return {};
                    p += 2;
                    break;
                }
                if (*p == '>') {
                    ++p;
                    if (++depth > maxDepth)
                        return {XmlFault::TooDeep, tag};
                    break;
                }
                p = tiny ? tinyAttribute(p) : rapidAttribute(p);
                if (!p)
                    return {};
                if (++attributes > maxAttributes)
                    return {XmlFault::TooManyAttributes, tag};
            }
        }
    }
    return {};
}

// The opening tag that takes the element nesting of the text beyond maxDepth
// for rapidxml, or null when it stays within it.
inline const char* xmlNestingExceeded(const char* text, int maxDepth = kMaxXmlNesting)
{
    return xmlGuardCheck(text, XmlParser::Rapid, maxDepth).at;
}

#endif // XMLNESTING_H
