#ifndef ACTIONTREETESTSUPPORT_H
#define ACTIONTREETESTSUPPORT_H

#include "Actions/ActionItem.h"
#include "Actions/ActionModel.h"
#include "Actions/ActionView.h"
#include "IO/iotransformer.h"

#include <QFile>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The drag data of one palette row, as the palette view hands it out.
inline std::unique_ptr<QMimeData> paletteDrag(const QString& kind)
{
    std::unique_ptr<QStandardItemModel> palette(makeActionList(nullptr));
    const QList<QStandardItem*> found = palette->findItems(kind);
    if (found.isEmpty())
        return nullptr;
    return std::unique_ptr<QMimeData>(palette->mimeData({found.first()->index()}));
}

inline bool dropKind(ActionModel& model, const QString& kind, const QModelIndex& parent = QModelIndex(),
                     Qt::DropAction action = Qt::CopyAction)
{
    std::unique_ptr<QMimeData> data = paletteDrag(kind);
    return data && model.dropMimeData(data.get(), action, -1, -1, parent);
}

// Sequence of Move By, Delay Time and Ease In Out around Move To; then Rotate By.
inline void buildNestedTree(ActionModel& model)
{
    QVERIFY(dropKind(model, "Sequence"));
    QVERIFY(dropKind(model, "Rotate By"));
    const QModelIndex sequence = model.index(0, 0);
    for (const char* kind : {"Move By", "Delay Time", "Ease In Out"})
        QVERIFY(dropKind(model, kind, sequence));
    const QModelIndex ease = model.index(2, 0, sequence);
    QVERIFY(dropKind(model, "Move To", ease));

    const QModelIndex moveBy = model.index(0, 0, sequence);
    QVERIFY(model.setData(model.index(1, 1, moveBy), 0.1 + 0.2));   // x
    QVERIFY(model.setData(model.index(2, 1, moveBy), "-12.5"));     // y
    QVERIFY(model.setData(model.index(0, 1, ease), "1.5"));        // rate
    QVERIFY(model.setData(model.index(1, 1, model.index(1, 0)), "1e20")); // rotation
}

// The subtree as text: "Kind[param=value ...](children)", children separated by blanks.
inline QString describe(const ActionModelNode* node)
{
    QString text = node->name();
    QStringList params;
    QStringList children;
    for (int i = 0; i < node->count(); ++i) {
        const ActionModelNode* child = node->getChild(i);
        if (dynamic_cast<const ActionDataModelNode*>(child))
            params << child->name() + "=" + child->data().toString();
        else
            children << describe(child);
    }
    if (!params.isEmpty())
        text += "[" + params.join(' ') + "]";
    if (!children.isEmpty())
        text += "(" + children.join(' ') + ")";
    return text;
}

inline QString describe(const ActionModel& model)
{
    QStringList rows;
    for (int i = 0; i < model.rowCount(); ++i)
        rows << describe(model.nodeFromIndex(model.index(i, 0)));
    return rows.join(' ');
}

// The file written for one stored node, as bytes.
inline QByteArray writtenText(IONode& node)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.kfml");
    IOTransformer io(path.toStdString(), nullptr, nullptr);
    io.write(node);
    if (!io.save(nullptr))
        return QByteArray();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Reads the node's element from the given file text. False when there is none.
inline bool readText(IONode& node, const QByteArray& text, EditorContext* context = nullptr)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("in.kfml");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return false;
    file.close();
    IOTransformer io(path.toStdString(), context, nullptr);
    io.load(nullptr);
    return io.read(node);
}

#endif // ACTIONTREETESTSUPPORT_H
