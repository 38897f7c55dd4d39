#ifndef SAMPLEOBJECTS_H
#define SAMPLEOBJECTS_H

#include <QColor>
#include <QLineEdit>
#include <QMetaType>
#include <QObject>
#include <QPointF>
#include <QStringList>

#include "Property.h"

// Small classes whose properties the panel shows. Every setter counts its
// writes, so a test can tell that merely loading an editor wrote nothing.

class SampleBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count WRITE setCount USER true)
    Q_PROPERTY(QString key READ key USER true)
    Q_PROPERTY(double ratio READ ratio WRITE setRatio USER true)
    Q_PROPERTY(int plain READ plain WRITE setPlain)

public:
    int count() const { return m_count; }
    void setCount(int count) { m_count = count; ++writes; }
    QString key() const { return QStringLiteral("sample.png"); }
    double ratio() const { return m_ratio; }
    void setRatio(double ratio) { m_ratio = ratio; ++writes; }
    int plain() const { return 0; }
    void setPlain(int) { ++writes; }

    int writes = 0;

private:
    int m_count = 3;
    double m_ratio = 0.5;
};

// Declares properties, but no user property: it gets no class row.
class SampleMiddle : public SampleBase
{
    Q_OBJECT
    Q_PROPERTY(int quiet READ quiet WRITE setQuiet)

public:
    int quiet() const { return 0; }
    void setQuiet(int) {}
};

class SampleItem : public SampleMiddle
{
    Q_OBJECT
    Q_PROPERTY(QPointF position READ position WRITE setPosition USER true)
    Q_PROPERTY(QColor tint READ tint WRITE setTint USER true)
    Q_PROPERTY(bool Layer_1 READ layer1 WRITE setLayer1 USER true)
    Q_PROPERTY(float weight READ weight WRITE setWeight USER true)
    Q_PROPERTY(Shade shade READ shade WRITE setShade USER true)

public:
    enum Shade { Light = 1, Dark = 4, Dusk = 9 };
    Q_ENUM(Shade)

    QPointF position() const { return m_position; }
    void setPosition(const QPointF& position) { m_position = position; ++writes; }
    QColor tint() const { return m_tint; }
    void setTint(const QColor& tint) { m_tint = tint; ++writes; }
    bool layer1() const { return m_layer1; }
    void setLayer1(bool on) { m_layer1 = on; ++writes; }
    float weight() const { return m_weight; }
    void setWeight(float weight) { m_weight = weight; ++writes; }
    Shade shade() const { return m_shade; }
    void setShade(Shade shade) { m_shade = shade; ++writes; }

private:
    QPointF m_position{1.5, -2};
    QColor m_tint{Qt::red};
    bool m_layer1 = true;
    float m_weight = 2.5f;
    Shade m_shade = Dark;
};

// A value type of the program's own, which only a registered callback can edit.
struct Span
{
    int from = 0;
    int to = 0;
    bool operator==(const Span& other) const { return from == other.from && to == other.to; }
};
Q_DECLARE_METATYPE(Span)

class SpanHolder : public SampleItem
{
    Q_OBJECT
    Q_PROPERTY(Span span READ span WRITE setSpan USER true)

public:
    Span span() const { return m_span; }
    void setSpan(const Span& span) { m_span = span; ++writes; }

private:
    Span m_span{2, 5};
};

// Class information gives the class row its label and a property its hints.
class LabelledSample : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("LabelledSample", "Labelled sample")
    Q_CLASSINFO("level", "minimum=5;maximum=9;")
    Q_PROPERTY(int level READ level WRITE setLevel USER true)

public:
    int level() const { return m_level; }
    void setLevel(int level) { m_level = level; ++writes; }

    int writes = 0;

private:
    int m_level = 1;
};

// Editor of a Span as "from..to". It announces the end of an edit with
// editFinished(), and does so also when it is merely loaded.
class SpanEditor : public QLineEdit
{
    Q_OBJECT

public:
    explicit SpanEditor(QWidget* parent)
        : QLineEdit(parent)
    {
    }

    void load(const Span& span)
    {
        setText(QStringLiteral("%1..%2").arg(span.from).arg(span.to));
        emit editFinished();
    }
    Span span() const
    {
        const QStringList parts = text().split(QStringLiteral(".."));
        Span span;
        if (parts.size() == 2) {
            span.from = parts.at(0).toInt();
            span.to = parts.at(1).toInt();
        }
        return span;
    }

signals:
    void editFinished();
};

class SpanProperty : public Property
{
    Q_OBJECT

public:
    using Property::Property;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&) override
    {
        return new SpanEditor(parent);
    }
    QVariant editorData(QWidget* editor) override
    {
        auto* spanEditor = qobject_cast<SpanEditor*>(editor);
        return spanEditor ? QVariant::fromValue(spanEditor->span()) : QVariant();
    }
    bool setEditorData(QWidget* editor, const QVariant& data) override
    {
        auto* spanEditor = qobject_cast<SpanEditor*>(editor);
        if (!spanEditor)
            return false;
        spanEditor->load(data.value<Span>());
        return true;
    }
};

#endif // SAMPLEOBJECTS_H
