#pragma once

#include "core/copy/CopyDepth.h"
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
// more than the depth places before it has been taken. A copy that failed
// while an earlier one was running is tried once more when its turn comes,
// alone, so that nothing fails only for having run beside another (a disk
// that one big file filled for a moment). The destructor waits for the
// copies still running.
class CopyAhead
{
public:
    // Copies in flight at once: `depth` from the start, grown up to
    // `mostDepth` while that still brings more files per second (see
    // CopyDepth).
    CopyAhead(FileSystem& files, QList<CopyRequest> copies, int depth = StartDepth,
              int mostDepth = MostDepth);
    ~CopyAhead();
    CopyAhead(const CopyAhead&) = delete;
    CopyAhead& operator=(const CopyAhead&) = delete;

    // Over loopback on two cores, 2,000 small files went fastest with 2 to 4
    // copies at once (a fetch with 2, 25% faster than with 4): more only cost
    // the server more, each copy's session a process of its own. Over a link
    // with 10 ms round trips each copy carries about ten files a second, and
    // 16 keep a server busy without taking a big share of its connections.
    static constexpr int StartDepth = 2;
    static constexpr int MostDepth = 16;

    // The source of the next copy to be taken, as that copy opened it: waits
    // until it has, or has ended without (then none). None as well once a
    // stop is requested.
    std::optional<FileInfo> nextSource(const std::stop_token& stop = {});

    // The next copy's result, once it has ended. Called once per copy, in
    // list order. Once a stop is requested, waits at most `afterStop` more
    // (counted from the first time it sees the stop) for a copy to end, then
    // gives the copy up as Cancelled: one that waits for a server that no
    // longer answers ends on its own later, its part removed as it ends.
    CopyOutcome takeNext(const std::stop_token& stop = {},
                         std::chrono::milliseconds afterStop = std::chrono::milliseconds(500));

private:
    // Passes a copy's blocks on to the caller's watcher, and tells the
    // caller's thread once the copy has opened its source.
    class Follower : public CopyWatcher
    {
    public:
        void blockCopied(quint64 done, quint64 size) override;
        void sourceOpened(const FileInfo& source) override;
        void resuming(quint64 offset, quint64 size) override;

        CopyAhead* owner = nullptr;
        qsizetype index = 0;
        CopyWatcher* watcher = nullptr; // the caller's
    };
    struct Result
    {
        bool done = false;
        bool besideEarlier = false; // started while an earlier copy was running
        int depthGeneration = 0;    // of m_depth, when the copy started
        std::optional<FileInfo> opened;
        CopyOutcome outcome;
        std::exception_ptr thrown; // what broke the copy off, passed on to the taker
    };
    // A worker: starts the next copy whose turn has come, until none is left.
    void work();
    // Whether a worker may start the next copy now.
    bool mayStart() const;
    // Threads enough for the depth; under m_mutex, on the taker's thread.
    void addWorkers();
    // Waits until `ready` holds (true) or, after a stop, until `afterStop`
    // has passed since the stop was first seen (false).
    template <typename Ready>
    bool waitFor(std::unique_lock<std::mutex>& lock, const std::stop_token& stop,
                 std::chrono::milliseconds afterStop, Ready ready);

    FileSystem& m_files;
    QList<CopyRequest> m_copies; // their watchers are m_followers
    std::deque<Follower> m_followers;
    std::mutex m_mutex;
    std::condition_variable m_turn;     // workers wait here for a copy to start
    std::condition_variable m_progress; // the taker waits here for copies to open and end
    std::deque<Result> m_results;       // one per copy, in list order
    CopyDepth m_depth;
    qsizetype m_started = 0;
    qsizetype m_taken = 0;
    int m_running = 0;
    bool m_stopping = false;
    std::optional<std::chrono::steady_clock::time_point> m_stopSeen;
    std::vector<std::jthread> m_workers; // changed only by the taker's thread
};

} // namespace tarvo
