#pragma once

#include "platform/CancelToken.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvo {

// The one way the program runs work off the thread that starts it: a thread
// for one job, with a cancel token that the job looks at between files and
// between blocks. Going away cancels the job and waits for it, so nothing
// the job uses may go first.
class WorkerThread
{
public:
    using Job = std::function<void(const CancelToken& token)>;

    WorkerThread() = default;
    explicit WorkerThread(Job job) { start(std::move(job)); }
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the job with a new token; the thread must not be running.
    void start(Job job);
    void cancel() const { m_token.cancel(); }
    bool cancelled() const { return m_token.cancelled(); }
    const CancelToken& token() const { return m_token; }
    bool running() const;
    // Waits for the job. With `keepEventsFlowing`, the calling thread serves
    // its Qt events meanwhile: a job may be waiting for an answer that only
    // that thread can give (a question in the window).
    void wait(bool keepEventsFlowing = false);

private:
    CancelToken m_token;
    mutable std::mutex m_mutex;
    std::condition_variable m_endedChanged;
    bool m_ended = false;
    std::thread m_thread;
};

} // namespace tarvo
