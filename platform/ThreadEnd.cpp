#include "platform/ThreadEnd.h"

#include <chrono>
#include <QCoreApplication>

namespace tarvo {

void ThreadEnd::reach()
{
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_reached.notify_all();
}

void ThreadEnd::waitServingEvents()
{
    std::unique_lock lock(m_mutex);
    while (!m_reached.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_done; })) {
        lock.unlock();
        QCoreApplication::processEvents();
        lock.lock();
    }
}

} // namespace tarvo
