#pragma once

#include "platform/ErrorCodes.h"
#include "tests/support/MemoryFileSystem.h"

#include <atomic>
#include <QSemaphore>

namespace tarvo::test {

// Share connections whose logon waits, as on a server that says nothing, until
// the test lets it go (or 20 seconds pass, so that a test whose release never
// comes fails instead of hanging); then it fails with a time-out.
class HeldConnections : public MemoryFileSystem
{
public:
    int addConnection(const QString&, const QString&, const QString&, const QString&, bool) override
    {
        asked.release();
        answered.tryAcquire(1, 20000);
        return PlatformError::SemTimeout;
    }
    void release()
    {
        released = true;
        answered.release();
    }

    QSemaphore asked, answered;
    std::atomic<bool> released = false;
};

} // namespace tarvo::test
