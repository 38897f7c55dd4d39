#ifndef POINTPROPERTY_H
#define POINTPROPERTY_H

#include "Property.h"

// Row of a QPointF property: one text line "x, y", with child rows "x" and "y"
// bound to this row's own x and y, so that each component gets a number editor
// and a change of either writes the whole point to the shown object.
class PointProperty : public Property
{
    Q_OBJECT
    Q_PROPERTY(float x READ x WRITE setX DESIGNABLE true USER true)
    Q_PROPERTY(float y READ y WRITE setY DESIGNABLE true USER true)

public:
    PointProperty(const QString& name = QString(), QObject* propertyObject = nullptr,
                  QObject* parent = nullptr);

    QVariant value(int role = Qt::UserRole) const override;
    // A string is read as up to two numbers; anything else is written as it is.
    void setValue(const QVariant& value) override;
    // Splits "nameX=v;nameY=w;" between the x and y rows; this row keeps none.
    void setEditorHints(const QString& hints) override;

    float x() const;
    void setX(float x);
    float y() const;
    void setY(float y);

    // The hints of one component, with the component letter dropped.
    static QString parseHints(const QString& hints, const QChar component);

private:
    Property* m_x;
    Property* m_y;
};

#endif // POINTPROPERTY_H
