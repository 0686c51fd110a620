#pragma once

#include <QRect>

namespace tarvo {

// Dialog units: positions that scale with the dialog's font. One horizontal
// unit is a quarter of the font's average character width, one vertical unit
// an eighth of its height.
class DialogUnits
{
public:
    DialogUnits(int averageCharWidth, int fontHeight)
        : m_baseX(averageCharWidth)
        , m_baseY(fontHeight)
    {}

    int x(int units) const { return units * m_baseX / 4; }
    int y(int units) const { return units * m_baseY / 8; }
    QRect rect(int left, int top, int width, int height) const
    {
        return QRect(x(left), y(top), x(width), y(height));
    }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace tarvo
