#pragma once

#include <mutex>

namespace tarvo::test {

// Runs f with the mutex held and returns what f returns.
template <typename Mutex, typename F> auto Locked(Mutex& mutex, F f)
{
    std::lock_guard lock(mutex);
    return f();
}

} // namespace tarvo::test
