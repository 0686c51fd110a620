#include "platform/copy/BlockBuffer.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace tarvo {

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;

} // namespace

void BlockBuffer::Free::operator()(char* bytes) const
{
    std::free(bytes);
}

void BlockBuffer::resize(std::size_t size)
{
    if (size <= m_capacity) {
        m_size = size;
        return;
    }
    m_data.reset();
    m_size = m_capacity = 0;
    const bool huge = size >= HugePage;
    const std::size_t capacity = huge ? (size + HugePage - 1) / HugePage * HugePage : size;
    void* bytes = huge ? std::aligned_alloc(HugePage, capacity) : std::malloc(capacity);
    if (!bytes)
        throw std::bad_alloc();
    // Advice only: without huge pages the buffer works as well, more slowly.
    if (huge)
        madvise(bytes, capacity, MADV_HUGEPAGE);
    m_data.reset(static_cast<char*>(bytes));
    m_size = size;
    m_capacity = capacity;
}

} // namespace tarvo
