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

// True for a byte XML cannot hold: C0 controls other than tab, LF and CR.
bool illegalByte(unsigned char c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

// True when the last three bytes of text encode a character XML cannot hold:
// a surrogate (U+D800 to U+DFFF), U+FFFE or U+FFFF.
bool illegalTail(const std::string& text)
{
    const std::size_t n = text.size();
    if (n < 3)
        return false;
    const unsigned char c = static_cast<unsigned char>(text[n - 3]);
    const unsigned char c1 = static_cast<unsigned char>(text[n - 2]);
    const unsigned char c2 = static_cast<unsigned char>(text[n - 1]);
    if (c == 0xED && c1 >= 0xA0 && c1 <= 0xBF && c2 >= 0x80 && c2 <= 0xBF)
        return true;
    return c == 0xEF && c1 == 0xBF && (c2 == 0xBE || c2 == 0xBF);
}

} // namespace

std::string xmlSafeText(const std::string& utf8)
{
    // Each kept byte is checked with the two kept before it, so that bytes
    // which meet once a control between them is dropped are checked too: the
    // result holds nothing to drop, and a second pass changes nothing.
    std::string safe;
    safe.reserve(utf8.size());
    for (const char byte : utf8) {
        if (illegalByte(static_cast<unsigned char>(byte)))
            continue;
        safe += byte;
        if (illegalTail(safe))
            safe.resize(safe.size() - 3);
    }
    return safe;
}

QString writableText(const QString& text)
{
    return decodeText(xmlSafeText(encodeText(text)));
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
