#pragma once

#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

namespace tarvo {

// The dialog units of a widget's font: the average width of the letters
// (rounded as the handheld's dialogs did) and the font's height.
inline DialogUnits DialogUnitsOf(const QWidget& widget)
{
    const QFontMetrics metrics(widget.font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return DialogUnits((metrics.horizontalAdvance(letters) / 26 + 1) / 2, metrics.height());
}

} // namespace tarvo
