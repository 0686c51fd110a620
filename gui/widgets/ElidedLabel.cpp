#include "gui/widgets/ElidedLabel.h"

#include <algorithm>
#include <QFontMetrics>

namespace tarvo {

namespace {

// Room for about this many average characters before a text is shortened.
constexpr int PreferredCharacters = 40;
constexpr int MinimumCharacters = 12;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent)
    : ElidedLabel(QString(), parent)
{}

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent)
    : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
    setFullText(text);
}

void ElidedLabel::setFullText(const QString& text)
{
    m_fullText = text;
    updateShownText();
    updateGeometry();
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.averageCharWidth() * MinimumCharacters, metrics.height()};
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int wanted = std::min(metrics.horizontalAdvance(m_fullText),
                                metrics.averageCharWidth() * PreferredCharacters);
    return {std::max(wanted, minimumSizeHint().width()), metrics.height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateShownText();
}

void ElidedLabel::updateShownText()
{
    const QString shown =
        fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, contentsRect().width());
    if (shown != text())
        QLabel::setText(shown);
    setToolTip(m_fullText);
}

} // namespace tarvo
