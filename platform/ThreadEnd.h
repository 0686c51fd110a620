#pragma once

#include <condition_variable>
#include <mutex>

namespace tarvo {

// Tells when a thread has done its work, so that its owner can wait for it
// while serving the Qt events of its own thread: the work may be waiting for
// an answer that only the owner's thread can give (a question in the window),
// which a plain join would never let come.
class ThreadEnd
{
public:
    // The thread's last step.
    void reach();
    // Returns once reach() has been called, serving the calling thread's
    // events meanwhile.
    void waitServingEvents();

private:
    std::mutex m_mutex;
    std::condition_variable m_reached;
    bool m_done = false;
};

} // namespace tarvo
