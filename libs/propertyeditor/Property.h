#ifndef PROPERTY_H
#define PROPERTY_H

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QStyleOptionViewItem;
class QWidget;

// One row of the property tree, showing the Qt property named by the row's
// object name on the bound object. Child rows are the row's Qt children, so a
// row owns its subtree. The bound object is not owned; the row only watches it,
// and a row whose object is gone behaves like an unbound one.
class Property : public QObject
{
    Q_OBJECT

public:
    Property(const QString& name = QString(), QObject* propertyObject = nullptr,
             QObject* parent = nullptr);

    virtual QVariant value(int role = Qt::UserRole) const;
    virtual void setValue(const QVariant& value);

    // Pairs "name=value;" applied as Qt properties to every new editor.
    QString editorHints() const { return m_hints; }
    virtual void setEditorHints(const QString& hints) { m_hints = hints; }

    // Null when the value type has no editor of its own here; the delegate then
    // uses the stock one.
    virtual QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option);
    // Invalid when the editor is not the kind createEditor makes for the value.
    virtual QVariant editorData(QWidget* editor);
    // False when this row cannot load the editor; loading never writes the object.
    virtual bool setEditorData(QWidget* editor, const QVariant& data);

    QObject* propertyObject() const { return m_propertyObject; }
    bool isRoot() const { return m_propertyObject.isNull(); }
    virtual bool isReadOnly() const;
    // Index among the parent's children, -1 without a parent.
    int row() const;
    // This row or the first row of its subtree (depth first) bound to the object.
    Property* findPropertyObject(QObject* propertyObject);

private slots:
    void setValue(int value);
    void setValue(double value);

private:
    QPointer<QObject> m_propertyObject;
    QString m_hints;
};

#endif // PROPERTY_H
