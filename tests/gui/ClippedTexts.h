#pragma once

#include "gui/widgets/ElidedLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>

namespace tarvo {

// The text as drawn: "&&" shows one "&", a single "&" marks the next letter.
inline QString Drawn(const QString& text)
{
    static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
    return QString(text).replace(mnemonic, QStringLiteral("\\1"));
}

// The width of the widest line and the height of all lines.
inline QSize TextSize(const QFontMetrics& metrics, const QString& text)
{
    const QStringList lines = text.split(u'\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, metrics.height() + metrics.lineSpacing() * int(lines.size() - 1)};
}

// The room a button has for its text: the style's contents rectangle less
// the icon beside the text.
inline QSize ButtonRoom(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        contents = QStyle::SE_RadioButtonContents;
    QSize room = button.style()->subElementRect(contents, &option, &button).size();
    if (!button.icon().isNull())
        room.rwidth() -= button.iconSize().width() + 4;
    return room;
}

inline QString Describe(const QWidget& widget, const QString& text, QSize needed, QSize room)
{
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(QString::fromLatin1(widget.metaObject()->className()), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// The texts of the dialog's visible labels, buttons, tabs and group boxes
// that do not fit; the title too, when the dialog is narrower than it.
inline QStringList ClippedTexts(const QWidget& dialog)
{
    QStringList clipped;
    QFont bold = dialog.font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(dialog.windowTitle());
    if (dialog.width() < titleWidth)
        clipped.append(Describe(dialog, dialog.windowTitle(), {titleWidth, 0}, dialog.size()));

    const auto check = [&](const QWidget& widget, const QString& text, QSize room) {
        const QSize needed = TextSize(widget.fontMetrics(), text);
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped.append(Describe(widget, text, needed, room));
    };
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (qobject_cast<const ElidedLabel*>(label) || label->text().isEmpty())
                continue;
            const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                              -label->margin(), -label->margin());
            if (label->wordWrap()) {
                // A wrapped text fits when its lines fit the height.
                if (label->heightForWidth(label->width()) > label->height())
                    clipped.append(Describe(*label, label->text(),
                                            {label->width(), label->heightForWidth(label->width())},
                                            label->size()));
                continue;
            }
            check(*label, label->buddy() ? Drawn(label->text()) : label->text(), room.size());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            if (!button->text().isEmpty())
                check(*button, Drawn(button->text()), ButtonRoom(*button));
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            // A tab's text has its rectangle less the style's space around it.
            const int space = tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
            for (int i = 0; i < tabs->count(); ++i)
                check(*tabs, Drawn(tabs->tabText(i)), tabs->tabRect(i).size() - QSize(space, 0));
        } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
            if (box->width() < box->minimumSizeHint().width())
                clipped.append(Describe(*box, box->title(), box->minimumSizeHint(), box->size()));
        }
    }
    return clipped;
}

} // namespace tarvo
