#include "PointProperty.h"

#include <QPointF>
#include <QRegularExpression>

PointProperty::PointProperty(const QString& name, QObject* propertyObject, QObject* parent)
    : Property(name, propertyObject, parent)
    , m_x(new Property(QStringLiteral("x"), this, this))
    , m_y(new Property(QStringLiteral("y"), this, this))
{
    setEditorHints(QStringLiteral(
        "minimumX=-2147483647;maximumX=2147483647;minimumY=-2147483647;maximumY=2147483647;"));
}

QVariant PointProperty::value(int role) const
{
    const QVariant point = Property::value(Qt::UserRole);
    if (point.isValid() && point.canConvert<QPointF>()) {
        const QPointF p = point.toPointF();
        if (role == Qt::DisplayRole)
            return tr("[ %1, %2]").arg(p.x()).arg(p.y());
        if (role == Qt::EditRole)
            return tr("%1, %2").arg(p.x()).arg(p.y());
    }
    return point;
}

void PointProperty::setValue(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString) {
        Property::setValue(value);
        return;
    }
    // A comma directly between digits belongs to the number ("10,20" is one
    // number that does not convert), so only a blank or other text separates.
    static const QRegularExpression number(
        QStringLiteral("([+-]?([0-9]*[\\.,])?[0-9]+(e[+-]?[0-9]+)?)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString text = value.toString();
    float components[2] = {0, 0};
    qsizetype pos = 0;
    for (int i = 0; i < 2; ++i) {
        const QRegularExpressionMatch match = number.match(text, pos);
        if (!match.hasMatch())
            break;
        components[i] = float(match.captured(1).toDouble());
        pos = match.capturedEnd(0);
    }
    Property::setValue(QPointF(components[0], components[1]));
}

void PointProperty::setEditorHints(const QString& hints)
{
    m_x->setEditorHints(parseHints(hints, QLatin1Char('X')));
    m_y->setEditorHints(parseHints(hints, QLatin1Char('Y')));
}

float PointProperty::x() const
{
    return float(Property::value(Qt::UserRole).toPointF().x());
}

void PointProperty::setX(float x)
{
    Property::setValue(QPointF(x, y()));
}

float PointProperty::y() const
{
    return float(Property::value(Qt::UserRole).toPointF().y());
}

void PointProperty::setY(float y)
{
    Property::setValue(QPointF(x(), y));
}

QString PointProperty::parseHints(const QString& hints, const QChar component)
{
    const QRegularExpression pair(
        QStringLiteral("(.*)(") + QRegularExpression::escape(QString(component))
            + QStringLiteral("{1})(=\\s*)(.*)(;{1})"),
        QRegularExpression::InvertedGreedinessOption);
    QString result;
    qsizetype pos = 0;
    QRegularExpressionMatch match = pair.match(hints, pos);
    while (match.hasMatch()) {
        QString name = match.captured(1);
        const qsizetype last = name.lastIndexOf(QLatin1Char(';'));
        if (last >= 0)
            name = name.mid(last + 1);
        result += QStringLiteral("%1=%2;").arg(name, match.captured(4));
        pos = match.capturedEnd(0);
        match = pair.match(hints, pos);
    }
    return result;
}
