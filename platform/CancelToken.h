#pragma once

#include <atomic>
#include <memory>

namespace tarvo {

// Tells work that runs elsewhere to stop. Copies of a token share one state,
// so the one who starts the work keeps a copy and the work takes another;
// the work looks at it between files and between blocks.
class CancelToken
{
public:
    CancelToken()
        : m_state(std::make_shared<std::atomic_bool>(false))
    {}

    void cancel() const { m_state->store(true, std::memory_order_relaxed); }
    bool cancelled() const { return m_state->load(std::memory_order_relaxed); }

private:
    std::shared_ptr<std::atomic_bool> m_state;
};

} // namespace tarvo
