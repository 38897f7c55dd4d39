#include "QVariantDelegate.h"

#include <QColor>
#include <QPointer>
#include <QMetaMethod>
#include <QPointF>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <functional>
#include <utility>

#include "Property.h"
#include "QPropertyModel.h"

namespace {
// The row behind an index of the property model, or null for any other index.
Property* rowOf(const QModelIndex& index)
{
    if (!index.isValid() || !qobject_cast<const QPropertyModel*>(index.model()))
        return nullptr;
    return static_cast<Property*>(index.internalPointer());
}

bool isUserType(int typeId)
{
    return typeId >= QMetaType::User;
}

// Types whose values the rows commit themselves.
bool rowCommits(int typeId)
{
    return typeId == QMetaType::Int || typeId == QMetaType::Double || typeId == QMetaType::Float
           || typeId == QMetaType::QColor || isUserType(typeId);
}

// Types whose editors the rows make and load.
bool rowEdits(int typeId)
{
    return rowCommits(typeId) || typeId == QMetaType::QPointF;
}

// Relays an editor's "editFinished()" (a signal found by name) to a function;
// a child of the editor, so it goes with it.
class FinishRelay : public QObject
{
    Q_OBJECT

public:
    FinishRelay(QWidget* editor, std::function<void()> finished)
        : QObject(editor)
        , m_finished(std::move(finished))
    {
    }

public slots:
    void relay() { m_finished(); }

private:
    std::function<void()> m_finished;
};
}

QVariantDelegate::QVariantDelegate(QObject* parent)
    : QItemDelegate(parent)
{
}

void QVariantDelegate::editFinished(QWidget* editor) const
{
    if (m_loading)
        return;
    auto* self = const_cast<QVariantDelegate*>(this);
    // Committed before it is closed, so the value reaches the object.
    emit self->commitData(editor);
    emit self->closeEditor(editor);
}

QWidget* QVariantDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    Property* row = rowOf(index);
    QWidget* editor = nullptr;
    if (row && rowEdits(row->value(Qt::UserRole).typeId())) {
        editor = row->createEditor(parent, option);
        if (editor) {
            const QMetaObject* meta = editor->metaObject();
            const int signal = meta->indexOfSignal("editFinished()");
            if (signal >= 0) {
                const QPointer<const QVariantDelegate> self(this);
                auto* relay = new FinishRelay(editor, [self, editor] {
                    if (self)
                        self->editFinished(editor);
                });
                const int slot = relay->metaObject()->indexOfSlot("relay()");
                QObject::connect(editor, meta->method(signal), relay, relay->metaObject()->method(slot));
            }
        }
    }
    if (!editor)
        editor = QItemDelegate::createEditor(parent, option, index);
    if (row)
        parseEditorHints(editor, row->editorHints());
    return editor;
}

void QVariantDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    Property* row = rowOf(index);
    const QVariant data = index.data(Qt::EditRole);
    if (row && rowEdits(data.typeId()) && row->setEditorData(editor, data))
        return;
    QItemDelegate::setEditorData(editor, index);
}

void QVariantDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    Property* row = rowOf(index);
    if (row && rowCommits(model->data(index, Qt::EditRole).typeId())) {
        const QVariant data = row->editorData(editor);
        if (data.isValid()) {
            model->setData(index, data, Qt::EditRole);
            return;
        }
    }
    QItemDelegate::setModelData(editor, model, index);
}

void QVariantDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    QItemDelegate::updateEditorGeometry(editor, option, index);
}

void QVariantDelegate::parseEditorHints(QWidget* editor, const QString& editorHints) const
{
    if (!editor || editorHints.isEmpty())
        return;
    const QSignalBlocker blocker(editor);
    static const QRegularExpression pair(QStringLiteral("(.*)(=\\s*)(.*)(;{1})"),
                                         QRegularExpression::InvertedGreedinessOption);
    qsizetype pos = 0;
    QRegularExpressionMatch match = pair.match(editorHints, pos);
    while (match.hasMatch()) {
        // Qt converts the text to the type of the editor's property.
        editor->setProperty(match.captured(1).trimmed().toLocal8Bit().constData(),
                            match.captured(3).trimmed());
        pos = match.capturedEnd(0);
        match = pair.match(editorHints, pos);
    }
}

#include "QVariantDelegate.moc"
