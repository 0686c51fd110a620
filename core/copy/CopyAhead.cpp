#include "core/copy/CopyAhead.h"

#include "platform/ErrorCodes.h"

namespace tarvo {

CopyAhead::CopyAhead(FileSystem& files, QList<CopyRequest> copies, int depth)
    : m_files(files)
    , m_copies(std::move(copies))
    , m_depth(qMax(1, depth))
    , m_results(size_t(m_copies.size()))
{
    // The same few threads for the whole list: a thread per copy would cost
    // its start, and the SMB library's scratch state for it, once per file.
    const int workers = int(qMin<qsizetype>(m_depth, m_copies.size()));
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

CopyAhead::~CopyAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_workers.clear(); // each waits for its thread
}

void CopyAhead::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] {
            return m_stopping || m_started >= m_copies.size() || m_started < m_taken + m_depth;
        });
        if (m_stopping || m_started >= m_copies.size())
            return;
        const qsizetype index = m_started++;
        m_results[size_t(index)].besideEarlier = m_running > 0;
        ++m_running;
        lock.unlock();
        CopyOutcome outcome;
        std::exception_ptr thrown;
        try {
            outcome = m_files.copy(m_copies.at(index));
        } catch (...) {
            thrown = std::current_exception();
        }
        lock.lock();
        --m_running;
        Result& result = m_results[size_t(index)];
        result.outcome = std::move(outcome);
        result.thrown = thrown;
        result.done = true;
        m_changed.notify_all();
    }
}

CopyOutcome CopyAhead::takeNext(const std::stop_token& stop, std::chrono::milliseconds afterStop)
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    if (m_taken >= m_copies.size())
        return CopyOutcome::failed(PlatformError::InvalidParameter);
    const qsizetype index = m_taken;
    const auto done = [&] { return m_results[size_t(index)].done; };
    // A stop is a flag, not a notification: look at it every little while.
    constexpr auto look = std::chrono::milliseconds(25);
    while (!done()) {
        if (stop.stop_requested() && !m_stopSeen)
            m_stopSeen = Clock::now();
        if (m_stopSeen && Clock::now() >= *m_stopSeen + afterStop) {
            ++m_taken; // given up: the copy ends alone
            m_changed.notify_all();
            return CopyOutcome::failed(PlatformError::Cancelled);
        }
        m_changed.wait_for(lock, look);
    }
    Result result = std::move(m_results[size_t(index)]);
    ++m_taken;
    m_changed.notify_all(); // one more copy may start
    lock.unlock();
    if (result.thrown)
        std::rethrow_exception(result.thrown);
    if (result.outcome.error != 0 && result.outcome.error != PlatformError::Cancelled &&
        result.besideEarlier && !stop.stop_requested())
        result.outcome = m_files.copy(m_copies.at(index));
    return result.outcome;
}

} // namespace tarvo
