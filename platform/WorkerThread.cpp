#include "platform/WorkerThread.h"

#include <QCoreApplication>

namespace tarvo {

WorkerThread::~WorkerThread()
{
    cancel();
    wait();
}

void WorkerThread::start(Job job)
{
    m_token = CancelToken();
    m_ended = false;
    m_thread = std::thread([this, job = std::move(job), token = m_token] {
        job(token);
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_endedChanged.notify_all();
    });
}

bool WorkerThread::running() const
{
    std::lock_guard lock(m_mutex);
    return m_thread.joinable() && !m_ended;
}

void WorkerThread::wait(bool keepEventsFlowing)
{
    if (!m_thread.joinable())
        return;
    if (keepEventsFlowing) {
        std::unique_lock lock(m_mutex);
        while (!m_endedChanged.wait_for(lock, std::chrono::milliseconds(20),
                                        [this] { return m_ended; })) {
            lock.unlock();
            QCoreApplication::processEvents();
            lock.lock();
        }
    }
    m_thread.join();
}

} // namespace tarvo
