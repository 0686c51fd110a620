#pragma once

#include "platform/ErrorCodes.h"
#include "platform/ShareConnections.h"

#include <atomic>
#include <chrono>
#include <future>
#include <semaphore>

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
        m_asked.release();
        const bool answered = m_answer.wait_for(Patience) == std::future_status::ready;
        return answered ? m_answer.get() : PlatformError::SemTimeout;
    }
    int getConnection(const QString&, QString&) override { return PlatformError::NotConnected; }
    int cancelConnection(const QString&, bool, bool) override
    {
        return PlatformError::NotConnected;
    }

    // Waits until a logon has begun.
    bool waitUntilAsked() { return m_asked.try_acquire_for(Patience); }
    // Ends the logon, now or when it comes, with this result.
    void release(int result) { m_result.set_value(result), m_released = true; }
    bool released() const { return m_released; }

private:
    static constexpr std::chrono::seconds Patience{20};
    std::counting_semaphore<> m_asked{0};
    std::promise<int> m_result;
    std::shared_future<int> m_answer = m_result.get_future().share();
    std::atomic<bool> m_released = false;
};

} // namespace tarvo::test
