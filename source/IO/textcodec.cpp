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
