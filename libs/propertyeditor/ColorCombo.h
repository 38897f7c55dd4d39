#ifndef COLORCOMBO_H
#define COLORCOMBO_H

#include <QColor>
#include <QComboBox>

// Colour editor: the named colours, "Custom" (opens a colour dialog) and any
// colour set or picked that has no name, appended under its hexadecimal name.
class ColorCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit ColorCombo(QWidget* parent = nullptr);

    // Selects the entry of the colour, appending one when no entry has it.
    void setColor(QColor color);
    // The colour of the current entry; invalid on "Custom" or with no selection.
    QColor color() const;

    // User data of the "Custom" entry.
    static constexpr int customData = 127;

private slots:
    void currentChanged(int index);

private:
    int findColor(const QColor& color) const;
    void appendColor(const QColor& color);

    QColor m_color;
};

#endif // COLORCOMBO_H
