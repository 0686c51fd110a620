#pragma once

#include "platform/FileSystem.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <QList>
#include <stop_token>
#include <thread>
#include <vector>

namespace tarvo {

// The copies of a list of files, run a few at once on threads of their own
// ahead of the file that the caller is at, so that the round trips of one
// file's copy overlap with those of the next ones (on a share, a small file
// costs several round trips and almost no bytes). The caller takes the
// results in list order and acts on each (messages, post-operations) as if
// the copies ran one after another; a copy never starts before every copy
// more than `depth` places before it has been taken. A copy that failed while
// an earlier one was running is tried once more when its turn comes, alone,
// so that nothing fails only for having run beside another (a disk that one
// big file filled for a moment). The destructor waits for the copies still
// running.
class CopyAhead
{
public:
    CopyAhead(FileSystem& files, QList<CopyRequest> copies, int depth = DefaultDepth);
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    // Copies in flight at once: enough to keep a share's server busy while
    // each small copy waits for its answers (2,000 small files went about 3%
    // faster with 12 than with 8, 6% faster than with 6, and slower again
    // with 16 or more over loopback on two cores), few enough to cost little
    // when the copies are big, which share a few extra sessions between them.
    static constexpr int DefaultDepth = 12;

    // The next copy's result, once it has ended. Called once per copy, in
    // list order. Once a stop is requested, waits at most `afterStop` more
    // (counted from the first time it sees the stop) for a copy to end, then
    // gives the copy up as Cancelled: one that waits for a server that no
    // longer answers ends on its own later, its part removed as it ends.
    CopyOutcome takeNext(const std::stop_token& stop = {},
                         std::chrono::milliseconds afterStop = std::chrono::milliseconds(500));

private:
    struct Result
    {
        bool done = false;
        bool besideEarlier = false; // started while an earlier copy was running
        CopyOutcome outcome;
        std::exception_ptr thrown; // what broke the copy off, passed on to the taker
    };
    // A worker: starts the next copy whose turn has come, until none is left.
    void work();

    FileSystem& m_files;
    const QList<CopyRequest> m_copies;
    const int m_depth;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Result> m_results; // one per copy, in list order
    qsizetype m_started = 0;
    qsizetype m_taken = 0;
    int m_running = 0;
    bool m_stopping = false;
    std::optional<std::chrono::steady_clock::time_point> m_stopSeen;
    std::vector<std::jthread> m_workers;
};

} // namespace tarvo
