#pragma once

// Qt hands work from one thread to another with futexes inside the Qt
// library: a blocking queued call wakes its caller through a semaphore, and a
// thread pool gives a job to a waiting thread through its queue's mutex.
// ThreadSanitizer cannot see those when Qt itself is built without it, as
// Debian's is, and would report the data handed over as a race. These two
// calls tell it about the order that Qt keeps at such a hand-over; in any
// other build they do nothing.

#if defined(__SANITIZE_THREAD__)
#define TARVO_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TARVO_THREAD_SANITIZER 1
#endif
#endif

#ifdef TARVO_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

namespace tarvo {

// Everything this thread did so far is handed over under token.
inline void HandOverSent([[maybe_unused]] const void* token)
{
#ifdef TARVO_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(token));
#endif
}

// This thread takes over what was done before the hand-over under token.
inline void HandOverReceived([[maybe_unused]] const void* token)
{
#ifdef TARVO_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(token));
#endif
}

} // namespace tarvo
