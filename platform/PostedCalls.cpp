#include "platform/PostedCalls.h"

#include "platform/ThreadHandOver.h"

#include <QCoreApplication>
#include <QEvent>

namespace tarvo {

namespace {

const QEvent::Type RunWaiting = QEvent::Type(QEvent::registerEventType());

} // namespace

PostedCalls::PostedCalls(QObject* parent)
    : QObject(parent)
{}

void PostedCalls::enqueue(std::function<void()> call)
{
    bool wasEmpty = false;
    {
        std::lock_guard lock(m_mutex);
        wasEmpty = m_waiting.empty();
        m_waiting.push_back(std::move(call));
    }
    // One event wakes the whole queue; a queue that already waits has one.
    if (wasEmpty)
        wake();
}

void PostedCalls::wake()
{
    // The event itself still travels through Qt's queue.
    auto* event = new QEvent(RunWaiting);
    HandOverSent(event);
    QCoreApplication::postEvent(this, event);
}

bool PostedCalls::event(QEvent* event)
{
    HandOverReceived(event);
    if (event->type() != RunWaiting)
        return QObject::event(event);
    for (;;) {
        std::function<void()> call;
        bool more = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_waiting.empty())
                return true;
            call = std::move(m_waiting.front());
            m_waiting.pop_front();
            more = !m_waiting.empty();
        }
        // A call may open a dialog and run an event loop of its own until it
        // ends: the calls after it then still run from that loop.
        if (more)
            wake();
        call();
    }
}

} // namespace tarvo
