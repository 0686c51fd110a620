#pragma once

#include <functional>
#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTimer>

namespace tarvo::test {

// Plays the user at modal dialogs that the code under test runs with exec():
// each new modal dialog that appears gets the next step, which works its
// controls and closes it. A dialog without a step left is rejected, so that
// a test that opens more dialogs than expected fails instead of hanging.
class ModalScript
{
public:
    using Step = std::function<void(QDialog&)>;

    explicit ModalScript(QList<Step> steps)
        : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(10);
    }

    int dialogsSeen() const { return m_seen; }

    // The window titles of the dialogs, in the order they appeared.
    QStringList titles() const { return m_titles; }

private:
    void poll()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // A QPointer forgets a closed dialog, so the next one at the same address is new.
        if (!dialog || !dialog->isVisible() || dialog == m_current)
            return;
        m_current = dialog;
        m_titles.append(dialog->windowTitle());
        if (m_seen < m_steps.size())
            m_steps[m_seen](*dialog);
        else
            dialog->reject();
        ++m_seen;
    }

    QList<Step> m_steps;
    QTimer m_timer;
    QPointer<QDialog> m_current;
    QStringList m_titles;
    int m_seen = 0;
};

} // namespace tarvo::test
