#ifndef QVARIANTDELEGATE_H
#define QVARIANTDELEGATE_H

#include <QItemDelegate>

// Item delegate of the property tree. For the value types the rows handle it
// lets the row under the index make, load and read the editor; everything else
// gets Qt's stock editors. It applies the row's editor hints to every new editor,
// and commits and closes an editor as soon as it emits "editFinished()".
class QVariantDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit QVariantDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Sets each "name=value;" pair of the hints as a Qt property of the editor,
    // with the editor's signals blocked so that nothing is written meanwhile.
    void parseEditorHints(QWidget* editor, const QString& editorHints) const;

private:
    void editFinished(QWidget* editor) const;

    // Set while an editor is loaded, so that loading never commits it.
    mutable bool m_loading = false;
};

#endif // QVARIANTDELEGATE_H
