#ifndef XMLNESTING_H
#define XMLNESTING_H

#include <cstring>

// rapidxml parses, and our readers walk, nested elements recursively: a file
// nested deeply enough would exhaust the stack. Real level files and property
// lists nest a few dozen levels at most.
constexpr int kMaxXmlNesting = 1000;

// Returns a pointer to the opening tag that takes the element nesting of the
// NUL-terminated text beyond maxDepth, or null when it stays within it.
// Comments, CDATA sections, processing instructions, declarations and quoted
// attribute values are skipped the way the parser skips them, so that text
// inside them can neither hide nor invent nesting.
inline const char* xmlNestingExceeded(const char* text, int maxDepth = kMaxXmlNesting)
{
    auto skipPast = [](const char* p, const char* end) {
        const char* found = std::strstr(p, end);
        return found ? found + std::strlen(end) : p + std::strlen(p);
    };

    int depth = 0;
    const char* p = text;
    while (*p) {
        if (*p != '<') {
            ++p;
            continue;
        }
        const char* tag = p;
        if (std::strncmp(p, "<!--", 4) == 0) {
            p = skipPast(p + 4, "-->");
        } else if (std::strncmp(p, "<![CDATA[", 9) == 0) {
            p = skipPast(p + 9, "]]>");
        } else if (p[1] == '?') {
            p = skipPast(p + 2, "?>");
        } else if (p[1] == '!') {
            // Declarations may hold a bracketed internal subset.
            int brackets = 0;
            for (p += 2; *p; ++p) {
                if (*p == '[')
                    ++brackets;
                else if (*p == ']')
                    --brackets;
                else if (*p == '>' && brackets <= 0)
                    break;
            }
            if (*p)
                ++p;
        } else if (p[1] == '/') {
            if (depth > 0)
                --depth;
            p = skipPast(p + 2, ">");
        } else {
            // An opening tag: find its end outside quoted values.
            char quote = 0;
            bool selfClosing = false;
            for (++p; *p; ++p) {
                if (quote) {
                    if (*p == quote)
                        quote = 0;
                } else if (*p == '"' || *p == '\'') {
                    quote = *p;
                } else if (*p == '>') {
                    selfClosing = p[-1] == '/';
                    ++p;
                    break;
                }
            }
            if (!selfClosing && ++depth > maxDepth)
                return tag;
        }
    }
    return nullptr;
}

#endif // XMLNESTING_H
