#include "core/copy/CopyAhead.h"

#include "platform/ErrorCodes.h"

namespace tarvo {

CopyAhead::CopyAhead(FileSystem& files, QList<CopyRequest> copies, int depth, int mostDepth)
    : m_files(files)
    , m_copies(std::move(copies))
    , m_followers(size_t(m_copies.size()))
    , m_results(size_t(m_copies.size()))
    , m_depth(depth, mostDepth)
{
    for (qsizetype i = 0; i < m_copies.size(); ++i) {
        Follower& follower = m_followers[size_t(i)];
        follower.owner = this;
        follower.index = i;
        follower.watcher = std::exchange(m_copies[i].watcher, &follower);
    }
    std::lock_guard lock(m_mutex);
    // The same few threads for the whole list: a thread per copy would cost
    // its start, and the SMB library's scratch state for it, once per file.
    addWorkers();
}

CopyAhead::~CopyAhead()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_turn.notify_all();
    m_workers.clear(); // each waits for its thread
}

void CopyAhead::addWorkers()
{
    const auto wanted = size_t(qMin<qsizetype>(m_depth.current(), m_copies.size()));
    while (m_workers.size() < wanted)
        m_workers.emplace_back([this] { work(); });
}

bool CopyAhead::mayStart() const
{
    const int depth = m_depth.current();
    return m_started < m_copies.size() && m_running < depth && m_started < m_taken + depth;
}

void CopyAhead::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_turn.wait(lock,
                    [this] { return m_stopping || m_started >= m_copies.size() || mayStart(); });
        if (m_stopping || m_started >= m_copies.size())
            return;
        const qsizetype index = m_started++;
        m_results[size_t(index)].besideEarlier = m_running > 0;
        m_results[size_t(index)].depthGeneration = m_depth.generation();
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
        if (m_depth.copyEnded(CopyDepth::Clock::now(), result.depthGeneration))
            m_turn.notify_all(); // the depth changed: copies may start, or wait
        if (index == m_taken)
            m_progress.notify_one();
    }
}

void CopyAhead::Follower::blockCopied(quint64 done, quint64 size)
{
    if (watcher)
        watcher->blockCopied(done, size);
}

void CopyAhead::Follower::resuming(quint64 offset, quint64 size)
{
    if (watcher)
        watcher->resuming(offset, size);
}

void CopyAhead::Follower::sourceOpened(const FileInfo& source)
{
    if (watcher)
        watcher->sourceOpened(source);
    std::lock_guard lock(owner->m_mutex);
    owner->m_results[size_t(index)].opened = source;
    if (index == owner->m_taken)
        owner->m_progress.notify_one();
}

template <typename Ready>
bool CopyAhead::waitFor(std::unique_lock<std::mutex>& lock, const std::stop_token& stop,
                        std::chrono::milliseconds afterStop, Ready ready)
{
    using Clock = std::chrono::steady_clock;
    // A stop is a flag, not a notification: look at it every little while.
    constexpr auto look = std::chrono::milliseconds(25);
    while (!ready()) {
        if (stop.stop_requested() && !m_stopSeen)
            m_stopSeen = Clock::now();
        if (m_stopSeen && Clock::now() >= *m_stopSeen + afterStop)
            return false;
        m_progress.wait_for(lock, look);
    }
    return true;
}

std::optional<FileInfo> CopyAhead::nextSource(const std::stop_token& stop)
{
    std::unique_lock lock(m_mutex);
    addWorkers();
    if (m_taken >= m_copies.size() || stop.stop_requested())
        return std::nullopt;
    const Result& next = m_results[size_t(m_taken)];
    if (!waitFor(lock, stop, std::chrono::milliseconds(0),
                 [&] { return next.done || next.opened.has_value(); }))
        return std::nullopt;
    return next.opened;
}

CopyOutcome CopyAhead::takeNext(const std::stop_token& stop, std::chrono::milliseconds afterStop)
{
    std::unique_lock lock(m_mutex);
    addWorkers();
    if (m_taken >= m_copies.size())
        return CopyOutcome::failed(PlatformError::InvalidParameter);
    const qsizetype index = m_taken;
    if (!waitFor(lock, stop, afterStop, [&] { return m_results[size_t(index)].done; })) {
        ++m_taken; // given up: the copy ends alone
        m_turn.notify_one();
        return CopyOutcome::failed(PlatformError::Cancelled);
    }
    Result result = std::move(m_results[size_t(index)]);
    ++m_taken;
    m_turn.notify_one(); // one more copy may start
    lock.unlock();
    if (result.thrown)
        std::rethrow_exception(result.thrown);
    if (result.outcome.error != 0 && result.outcome.error != PlatformError::Cancelled &&
        result.besideEarlier && !stop.stop_requested())
        result.outcome = m_files.copy(m_copies.at(index));
    return result.outcome;
}

} // namespace tarvo
