#pragma once

#include <mutex>

namespace tarvo::test {

// Runs f with the mutex held and returns what f returns.
template <typename Mutex, typename F> auto Locked(Mutex& mutex, F f)
{
    std::lock_guard lock(mutex);
    return f();
}

// A copy of what the mutex guards, taken with the mutex held.
template <typename Mutex, typename T> T LockedCopy(Mutex& mutex, const T& value)
{
    std::lock_guard lock(mutex);
    return value;
}

} // namespace tarvo::test
