#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QThread>
#include <QTimer>

namespace tarvo::test {

// Answers every message box that the window's thread shows, as a user would,
// and records what it said and on which thread it appeared.
class MessageBoxWatcher
{
public:
    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start(20);
    }

    QStringList texts() const { return m_texts; }
    QList<QMessageBox::Icon> icons() const { return m_icons; }
    bool allOnGuiThread() const { return m_allOnGuiThread; }

private:
    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        m_texts.append(box->text());
        m_icons.append(box->icon());
        m_allOnGuiThread = m_allOnGuiThread &&
                           box->thread() == QApplication::instance()->thread() &&
                           QThread::currentThread() == box->thread();
        if (QAbstractButton* button = box->button(m_answer))
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
    QStringList m_texts;
    QList<QMessageBox::Icon> m_icons;
    bool m_allOnGuiThread = true;
};

} // namespace tarvo::test
