#pragma once

#include <cstddef>
#include <memory>

namespace tarvo {

// The bytes of one block on their way from a source to a target. Not zeroed
// when it grows: every byte is read into before it is written out. A buffer
// of 2 MiB or more is placed on huge pages where the kernel offers them: on
// some virtual machines a fresh 4 KiB page costs ten microseconds to map, and
// mapping a big copy's buffers page by page took 25 ms of a resumed copy
// that lasted 250 ms.
class BlockBuffer
{
public:
    BlockBuffer() = default;
    explicit BlockBuffer(std::size_t size) { resize(size); }

    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    std::size_t size() const { return m_size; }
    // Keeps the bytes only while the size stays within what it holds.
    void resize(std::size_t size);

private:
    struct Free
    {
        void operator()(char* bytes) const;
    };
    std::unique_ptr<char, Free> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace tarvo
