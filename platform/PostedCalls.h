#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <QObject>

namespace tarvo {

// Calls that other threads hand to the thread this object lives in, run
// there in the order they were posted.
//
// Qt's own queued calls carry their functors through its event queue under
// locks inside Qt, which ThreadSanitizer cannot see in Debian's build, so it
// takes the data they carry for a race. Here the calls pass through a
// standard mutex that it sees, and Qt's queue only carries a plain event
// that says "run what is waiting", marked as handed over. Calls still
// waiting when the object goes are destroyed unrun. The object must outlive
// every thread that posts to it.
//
// It is the one way a worker's results (the list's rows, a folder's
// children, the file a run shows, a message box a copy asks for) reach
// objects that live on the window's thread.
class PostedCalls : public QObject
{
public:
    explicit PostedCalls(QObject* parent = nullptr);

    // Callable from any thread.
    template <typename Call> void post(Call call)
    {
        // std::function wants a copyable call; the call itself may hold
        // what can only be moved.
        enqueue([shared = std::make_shared<Call>(std::move(call))] { (*shared)(); });
    }

protected:
    bool event(QEvent* event) override;

private:
    void enqueue(std::function<void()> call);
    void wake();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_waiting;
};

} // namespace tarvo
