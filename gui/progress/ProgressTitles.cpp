#include "gui/progress/ProgressTitles.h"

#include "core/transfer/ProgressTexts.h"

#include <QWidget>

namespace tarvo {

void ProgressTitles::add(QWidget* window)
{
    if (window)
        m_windows.append({window, window->windowTitle()});
}

void ProgressTitles::show(int percent)
{
    if (percent == m_shown)
        return; // a title set anew four times a second would keep the task bar busy
    m_shown = percent;
    const QString title = ProgressTitle(percent);
    for (const Titled& titled : std::as_const(m_windows))
        if (titled.window)
            titled.window->setWindowTitle(title);
}

void ProgressTitles::restore()
{
    if (m_shown < 0)
        return;
    m_shown = -1;
    for (const Titled& titled : std::as_const(m_windows))
        if (titled.window)
            titled.window->setWindowTitle(titled.title);
}

} // namespace tarvo
