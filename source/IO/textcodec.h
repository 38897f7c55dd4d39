#ifndef TEXTCODEC_H
#define TEXTCODEC_H

#include <QString>
#include <string>

// The one conversion between the 8-bit strings of the XML libraries and QString.
// Writing is always UTF-8. Reading takes UTF-8, and falls back to Latin-1 when the
// bytes are not valid UTF-8, so files written by older tools stay readable.
QString decodeText(const char* data, qsizetype size = -1);
QString decodeText(const std::string& text);
std::string encodeText(const QString& text);
// The UTF-8 text without what XML 1.0 cannot hold (C0 controls other than tab,
// line feed and carriage return, surrogates, U+FFFE and U+FFFF): a document
// holding any of them is not well-formed and a NUL ends it for the reader.
std::string xmlSafeText(const std::string& utf8);
// The text as a save writes it (what XML cannot hold left out): text the editor
// holds is kept so, and a saved level reopens to the same text.
QString writableText(const QString& text);

// A number read from a file: malformed text and values that are not finite
// ("nan", "inf", overflow) read as 0, like any text that is no number.
double numberFromText(const QString& text);
// A number as level files write it: six significant digits.
QString textFromNumber(double value);

#endif // TEXTCODEC_H
