#pragma once

#include "platform/ErrorCodes.h"
#include "platform/ShareConnections.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tarvo::test {

// Share connections whose logon waits, as on a server that says nothing,
// until the test lets it go with the result it is to give. No connection
// exists before. A logon that nobody lets go gives up after 20 seconds with
// SemTimeout, so that a test whose release never comes fails instead of hanging.
class HeldConnections : public ShareConnections
{
public:
    int addConnection(const QString&, const QString&, const QString&, const QString&, bool) override
    {
        std::unique_lock lock(m_mutex);
        m_asked = true;
        m_changed.notify_all();
        if (!m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_released; }))
            return PlatformError::SemTimeout;
        return m_result;
    }
    int getConnection(const QString&, QString&) override { return PlatformError::NotConnected; }
    int cancelConnection(const QString&, bool, bool) override
    {
        return PlatformError::NotConnected;
    }

    // Waits until a logon has begun.
    bool waitUntilAsked()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_asked; });
    }
    // Ends the logon, now or when it comes, with this result.
    void release(int result)
    {
        std::lock_guard lock(m_mutex);
        m_result = result;
        m_released = true;
        m_changed.notify_all();
    }
    bool released() const
    {
        std::lock_guard lock(m_mutex);
        return m_released;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_asked = false;
    bool m_released = false;
    int m_result = 0;
};

} // namespace tarvo::test
