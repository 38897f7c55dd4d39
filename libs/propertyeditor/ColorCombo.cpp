#include "ColorCombo.h"

#include <QColorDialog>

ColorCombo::ColorCombo(QWidget* parent)
    : QComboBox(parent)
{
    const QStringList names = QColor::colorNames();
    for (int i = 0; i < names.size(); ++i) {
        insertItem(i, names.at(i));
        setItemData(i, QColor(names.at(i)), Qt::DecorationRole);
    }
    addItem(tr("Custom"), customData);
    // A fresh combo selects its first entry; nothing is chosen until setColor.
    setCurrentIndex(-1);
    connect(this, qOverload<int>(&QComboBox::currentIndexChanged), this, &ColorCombo::currentChanged);
}

int ColorCombo::findColor(const QColor& color) const
{
    return findData(color, Qt::DecorationRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void ColorCombo::appendColor(const QColor& color)
{
    addItem(color.name());
    setItemData(count() - 1, color, Qt::DecorationRole);
}

void ColorCombo::setColor(QColor color)
{
    m_color = color;
    // Selecting -1 on a miss keeps an earlier colour from staying current.
    setCurrentIndex(findColor(color));
    if (currentIndex() < 0 && color.isValid()) {
        appendColor(color);
        setCurrentIndex(count() - 1);
    }
}

QColor ColorCombo::color() const
{
    const int index = currentIndex();
    if (index < 0)
        return QColor();
    return itemData(index, Qt::DecorationRole).value<QColor>();
}

void ColorCombo::currentChanged(int index)
{
    const QVariant data = itemData(index, Qt::UserRole);
    if (!data.isValid() || data.toInt() != customData)
        return;
    const QColor picked = QColorDialog::getColor(m_color, this);
    if (picked.isValid()) {
        if (findColor(picked) < 0)
            appendColor(picked);
        setCurrentIndex(findColor(picked));
    } else {
        setCurrentIndex(findColor(m_color));
    }
}
