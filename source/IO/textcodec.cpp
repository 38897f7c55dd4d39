#include "IO/textcodec.h"

#include <QStringDecoder>
#include <cmath>
#include <cstring>

QString decodeText(const char* data, qsizetype size)
{
    if (!data)
        return QString();
    if (size < 0)
        size = qsizetype(std::strlen(data));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(data, size));
    if (utf8.hasError())
        return QString::fromLatin1(data, size);
    return text;
}

QString decodeText(const std::string& text)
{
    return decodeText(text.data(), qsizetype(text.size()));
}

std::string encodeText(const QString& text)
{
    return text.toUtf8().toStdString();
}

namespace {

// Length of the character XML cannot hold at text[i], 0 for one it can.
std::size_t illegalAt(const std::string& text, std::size_t i)
{
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20)
        return c == '\t' || c == '\n' || c == '\r' ? 0 : 1;
    if (i + 2 >= text.size())
        return 0;
    const unsigned char c1 = static_cast<unsigned char>(text[i + 1]);
    const unsigned char c2 = static_cast<unsigned char>(text[i + 2]);
    // U+D800 to U+DFFF, encoded as the surrogates themselves.
    if (c == 0xED && c1 >= 0xA0 && c1 <= 0xBF && c2 >= 0x80 && c2 <= 0xBF)
        return 3;
    // U+FFFE and U+FFFF.
    if (c == 0xEF && c1 == 0xBF && (c2 == 0xBE || c2 == 0xBF))
        return 3;
    return 0;
}

} // namespace

std::string xmlSafeText(const std::string& utf8)
{
    std::size_t i = 0;
    while (i < utf8.size() && illegalAt(utf8, i) == 0)
        ++i;
    if (i == utf8.size())
        return utf8;
    std::string safe = utf8.substr(0, i);
    while (i < utf8.size()) {
        const std::size_t skip = illegalAt(utf8, i);
        if (skip == 0)
            safe += utf8[i++];
        else
            i += skip;
    }
    return safe;
}

double numberFromText(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString textFromNumber(double value)
{
    return QString::number(value, 'g', 6);
}
