#pragma once

#include "gui/widgets/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

namespace tarvo {

// The dialog units of a font: the average width of the Latin letters (rounded
// as dialog units are defined) and the font's height.
inline DialogUnits DialogUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits((metrics.horizontalAdvance(letters) / 26 + 1) / 2, metrics.height());
}

inline DialogUnits DialogUnitsOf(const QWidget& widget)
{
    return DialogUnitsOf(widget.font());
}

} // namespace tarvo
