#ifndef XMLNESTING_H
#define XMLNESTING_H

#include <cstring>

// rapidxml parses, and our readers walk, nested elements recursively: a file
// nested deeply enough would exhaust the stack. Real level files and property
// lists nest a few dozen levels at most.
constexpr int kMaxXmlNesting = 1000;

// Returns a pointer to the opening tag that takes the element nesting of the
// NUL-terminated text beyond maxDepth, or null when it stays within it.
// The text is split into markup exactly as rapidxml's parser (default flags)
// splits it: a check that skipped more than the parser does (a bracket in an
// unknown "<!" node, a quote in an element name) would let nesting it never
// saw reach the parser. Where the parser would stop with an error, the check
// stops too: nothing after that point is parsed.
inline const char* xmlNestingExceeded(const char* text, int maxDepth = kMaxXmlNesting)
{
    // A plain scan: a sanitizer's strstr checks the whole rest of the text on
    // every call, which makes a long file take minutes.
    auto skipPast = [](const char* p, const char* end) {
        for (; *p; ++p) {
            int i = 0;
            while (end[i] && p[i] == end[i])
                ++i;
            if (!end[i])
                return p + i;
        }
        return p;
    };
    auto isSpace = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    auto isNameChar = [&](char c) { return c && !isSpace(c) && c != '/' && c != '>' && c != '?'; };
    auto isAttributeNameChar = [&](char c) {
        return isNameChar(c) && c != '<' && c != '=' && c != '!';
    };

    int depth = 0;
    const char* p = text;
    while (*p) {
        if (*p != '<') {
            ++p;
            continue;
        }
        const char* tag = p;
        if (p[1] == '?') {
            // Declaration or processing instruction.
            p = skipPast(p + 2, "?>");
        } else if (p[1] == '!') {
            if (p[2] == '-' && p[3] == '-') {
                p = skipPast(p + 4, "-->");
            } else if (std::strncmp(p + 2, "[CDATA[", 7) == 0) {
                p = skipPast(p + 9, "]]>");
            } else if (std::strncmp(p + 2, "DOCTYPE", 7) == 0 && isSpace(p[9])) {
                // Brackets matter only here, and only from an opening one on.
                for (p += 10; *p && *p != '>'; ++p) {
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
                if (*p)
                    ++p;
            } else {
                // Any other "<!" node ends at its first '>'.
                p = skipPast(p + 2, ">");
            }
        } else if (p[1] == '/') {
            if (depth > 0)
                --depth;
            p = skipPast(p + 2, ">");
        } else {
            // An element: name, attributes with quoted values, then '>' or "/>".
            ++p;
            const char* name = p;
            while (isNameChar(*p))
                ++p;
            if (p == name)
                return nullptr;
            while (true) {
                while (isSpace(*p))
                    ++p;
                if (!isAttributeNameChar(*p))
                    break;
                while (isAttributeNameChar(*p))
                    ++p;
                while (isSpace(*p))
                    ++p;
                if (*p != '=')
                    return nullptr;
                ++p;
                while (isSpace(*p))
                    ++p;
                const char quote = *p;
                if (quote != '"' && quote != '\'')
                    return nullptr;
                const char* close = std::strchr(p + 1, quote);
                if (!close)
                    return nullptr;
                p = close + 1;
            }
            if (p[0] == '/' && p[1] == '>') {
                p += 2;
            } else if (*p == '>') {
                ++p;
                if (++depth > maxDepth)
                    return tag;
            } else {
                return nullptr;
            }
        }
    }
    return nullptr;
}

#endif // XMLNESTING_H
