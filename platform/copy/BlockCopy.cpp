#include "platform/copy/BlockCopy.h"

#include "platform/ErrorCodes.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo {

namespace {

// What a helper thread of a copy threw, kept for the copy's own thread: an
// exception must not end the process from a thread that cannot say why.
// `stopOthers` then ends the copy's other threads, which would wait for the
// helper otherwise.
class ThrownOnHelpers
{
public:
    template <typename Work, typename StopOthers> void run(Work&& work, StopOthers&& stopOthers)
    {
        try {
            work();
        } catch (...) {
            {
                std::lock_guard lock(m_mutex);
                if (!m_first)
                    m_first = std::current_exception();
            }
            stopOthers();
        }
    }
    // Called after every helper has ended.
    void rethrow()
    {
        if (m_first)
            std::rethrow_exception(m_first);
    }

private:
    std::mutex m_mutex;
    std::exception_ptr m_first;
};

// The next block to read: what is left of the size the source had when it was
// opened, so that a read never asks past the end. A share answers a request
// past the end with one more round trip; a file of known size needs none.
qint64 nextBlock(quint64 size, quint64 done, qint64 bufferSize)
{
    if (size == 0)
        return bufferSize; // a source that reports no size is read to its end
    return done >= size ? 0 : qint64(qMin<quint64>(size - done, quint64(bufferSize)));
}

// A file of this many blocks or more goes through parallel readers or
// writers where the source or target offers them; a smaller one would spend
// more on opening them.
constexpr quint64 ParallelMinimumBlocks = 4;
// Extra sessions beside the file's own. Over loopback on two cores, sending
// 1 GiB with 1, 2 or 3 of them gave 1,740, 1,720 and 1,630 MB/s: the copy is
// bound by the processors there, and 2 keeps some overlap for a network's
// round trips while loading the server with fewer sessions.
constexpr int ParallelCount = 2;

// The extra sessions of one big copy, out of ParallelCount for the whole
// process: a run copies several files at once, and if each big one opened
// its own extra sessions the server would carry dozens of them for no gain.
// A copy that finds none free moves its blocks through its own session.
class ExtraSessions
{
public:
    ExtraSessions()
        : m_count(take(ParallelCount))
    {}
    ~ExtraSessions() { s_free += m_count; }
    ExtraSessions(const ExtraSessions&) = delete;
    ExtraSessions& operator=(const ExtraSessions&) = delete;

    int count() const { return m_count; }

private:
    static int take(int wanted)
    {
        int free = s_free.load();
        int taken = 0;
        do {
            taken = qMin(free, wanted);
            if (taken <= 0)
                return 0;
        } while (!s_free.compare_exchange_weak(free, free - taken));
        return taken;
    }

    static inline std::atomic<int> s_free{ParallelCount};
    const int m_count;
};

// The source's blocks read one after another and written by several writers
// at once, each taking the next block that has been read. The first error
// stops both sides.
class ParallelBlockCopy
{
public:
    ParallelBlockCopy(SourceFile& input, quint64 size, qint64 blockSize,
                      std::vector<std::unique_ptr<BlockWriter>> writers, BlockProgress& progress,
                      bool parallel = true)
        : m_input(input)
        , m_size(size)
        , m_writers(std::move(writers))
        , m_progress(progress)
        , m_parallel(parallel)
    {
        // One block in each writer's hands, one being read, one waiting.
        for (size_t i = 0; i < m_writers.size() + 2; ++i)
            m_free.emplace_back(size_t(blockSize));
    }

    BlockTransfer run()
    {
        std::vector<std::jthread> threads;
        for (const std::unique_ptr<BlockWriter>& writer : m_writers)
            threads.emplace_back([this, &writer] {
                m_thrown.run([&] { drain(*writer); },
                             [this] {
                                 std::lock_guard lock(m_mutex);
                                 fail(PlatformError::WriteFault);
                                 m_changed.notify_all();
                             });
            });
        readAll();
        threads.clear(); // each joins its thread
        m_thrown.rethrow();
        m_writers.clear(); // every handle closed before the part is looked at
        return {m_error, m_read, m_written, m_parallel};
    }

private:
    struct Block
    {
        quint64 offset;
        qint64 length;
        std::vector<char> data;
    };

    void readAll()
    {
        for (;;) {
            std::vector<char> buffer;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_free.empty() || m_error; });
                if (m_error)
                    break;
                buffer = std::move(m_free.back());
                m_free.pop_back();
            }
            const bool stop = m_progress.stopRequested();
            const qint64 wanted = stop ? 0 : nextBlock(m_size, m_read, qint64(buffer.size()));
            const qint64 got = wanted > 0 ? m_input.read(buffer.data(), wanted) : 0;
            std::lock_guard lock(m_mutex);
            if (got <= 0) {
                if (got < 0 || stop)
                    fail(stop ? PlatformError::Cancelled : int(-got));
                break;
            }
            m_full.push_back({m_read, got, std::move(buffer)});
            m_read += quint64(got);
            m_changed.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_endOfInput = true;
        m_changed.notify_all();
    }

    void drain(BlockWriter& writer)
    {
        if (!writer.start()) {
            // The others take its blocks; without any, nothing would.
            std::lock_guard lock(m_mutex);
            if (--m_writersLeft == 0)
                fail(PlatformError::WriteFault);
            m_changed.notify_all();
            return;
        }
        for (;;) {
            Block block;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_full.empty() || m_endOfInput || m_error; });
                if (m_error || m_full.empty())
                    return;
                block = std::move(m_full.front());
                m_full.pop_front();
            }
            // Blocks read ahead go unwritten once the copy is to stop: a
            // small file may be read whole long before its last write.
            const int error = m_progress.stopRequested()
                                  ? int(PlatformError::Cancelled)
                                  : writer.writeAt(block.offset, block.data.data(), block.length);
            if (!error)
                m_progress.arrived(quint64(block.length));
            std::lock_guard lock(m_mutex);
            if (error) {
                fail(error);
            } else {
                m_written += quint64(block.length);
                m_free.push_back(std::move(block.data));
            }
            m_changed.notify_all();
        }
    }

    void fail(int error)
    {
        if (!m_error)
            m_error = error;
    }

    SourceFile& m_input;
    const quint64 m_size;
    std::vector<std::unique_ptr<BlockWriter>> m_writers;
    BlockProgress& m_progress;
    const bool m_parallel;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Plain buffers: they pass between threads only under the mutex.
    std::vector<std::vector<char>> m_free;
    std::deque<Block> m_full;
    ThrownOnHelpers m_thrown;
    size_t m_writersLeft = m_writers.size();
    bool m_endOfInput = false;
    quint64 m_read = 0;
    quint64 m_written = 0;
    int m_error = PlatformError::Success;
};

// The source's blocks read by several readers at once, each taking the next
// block that nobody has taken and writing it where it belongs; for a source
// whose reads wait on round trips (a share) and a target that places blocks
// anywhere (a local file). The first error stops every reader.
class ParallelBlockRead
{
public:
    ParallelBlockRead(std::vector<std::unique_ptr<BlockReader>> readers, BlockWriter& writer,
                      quint64 size, qint64 blockSize, BlockProgress& progress)
        : m_readers(std::move(readers))
        , m_writer(writer)
        , m_size(size)
        , m_blockSize(quint64(blockSize))
        , m_progress(progress)
    {}

    BlockTransfer run()
    {
        std::vector<std::jthread> threads;
        for (size_t i = 1; i < m_readers.size(); ++i)
            threads.emplace_back([this, i] {
                m_thrown.run([&] { readAndPlace(*m_readers[i]); },
                             [this] { failWith(PlatformError::ReadFault); });
            });
        readAndPlace(*m_readers.front());
        threads.clear(); // each joins its thread
        m_thrown.rethrow();
        m_readers.clear(); // every handle closed before the part is looked at
        return {m_error.load(), m_read.load(), m_placed.load(), true};
    }

private:
    void readAndPlace(BlockReader& reader)
    {
        if (!reader.start())
            return; // the others take its blocks
        std::vector<char> buffer(m_blockSize);
        while (m_error.load() == PlatformError::Success) {
            if (m_progress.stopRequested()) {
                failWith(PlatformError::Cancelled);
                return;
            }
            const quint64 offset = m_next.fetch_add(m_blockSize);
            if (offset >= m_size)
                return;
            const qint64 wanted = qint64(qMin(m_blockSize, m_size - offset));
            const qint64 got = reader.readAt(offset, buffer.data(), wanted);
            if (got > 0)
                m_read += quint64(got);
            // A source that shrank since it was opened: copying what is left
            // would give a file with a hole of zeros, so the copy fails.
            int error = got < 0 ? int(-got) : got < wanted ? PlatformError::SourceChanged : 0;
            if (!error)
                error = m_writer.writeAt(offset, buffer.data(), got);
            if (error) {
                failWith(error);
                return;
            }
            m_placed += quint64(got);
            m_progress.arrived(quint64(got));
        }
    }

    void failWith(int error)
    {
        int none = PlatformError::Success;
        m_error.compare_exchange_strong(none, error);
    }

    std::vector<std::unique_ptr<BlockReader>> m_readers;
    BlockWriter& m_writer;
    const quint64 m_size;
    const quint64 m_blockSize;
    BlockProgress& m_progress;
    std::atomic<quint64> m_next{0};
    std::atomic<quint64> m_read{0};
    std::atomic<quint64> m_placed{0};
    std::atomic<int> m_error{PlatformError::Success};
    ThrownOnHelpers m_thrown;
};

// Places blocks one after another through the part file's own handle: with
// one writer taking the blocks in the order they were read, that is their
// order in the file.
class SequentialWriter : public BlockWriter
{
public:
    explicit SequentialWriter(PartFile& part)
        : m_part(part)
    {}
    int writeAt(quint64, const char* data, qint64 size) override
    {
        return m_part.write(data, size);
    }

private:
    PartFile& m_part;
};

// A file of one block: read, then written, on the copy's own thread.
BlockTransfer copyOneBlock(SourceFile& input, PartFile& output, quint64 size, qint64 blockSize,
                           BlockProgress& progress)
{
    if (progress.stopRequested())
        return {PlatformError::Cancelled, 0, 0, false};
    std::vector<char> buffer(size == 0 ? 4096 : size_t(size));
    BlockTransfer result;
    for (;;) {
        const qint64 wanted = nextBlock(size, result.read, qint64(buffer.size()));
        const qint64 got = wanted > 0 ? input.read(buffer.data(), wanted) : 0;
        if (got < 0)
            return {int(-got), result.read, result.written, false};
        if (got == 0)
            return result;
        result.read += quint64(got);
        if (int error = output.write(buffer.data(), got))
            return {error, result.read, result.written, false};
        result.written += quint64(got);
        progress.arrived(quint64(got));
        if (size != 0 && result.read >= size)
            return result;
        Q_UNUSED(blockSize);
    }
}

} // namespace

bool MayMoveInParallel(quint64 size, qint64 blockSize)
{
    return size >= ParallelMinimumBlocks * quint64(blockSize);
}

BlockTransfer MoveBlocks(SourceFile& input, PartFile& output, quint64 size, qint64 blockSize,
                         bool allowParallel, BlockProgress& progress)
{
    if (size <= quint64(blockSize) && size != 0)
        return copyOneBlock(input, output, size, blockSize, progress);
    // Blocks read while the one before is written, so the waits of the two
    // sides overlap.
    const auto oneSession = [&] {
        std::vector<std::unique_ptr<BlockWriter>> writer;
        writer.push_back(std::make_unique<SequentialWriter>(output));
        return ParallelBlockCopy(input, size, blockSize, std::move(writer), progress, false).run();
    };
    if (!allowParallel || !MayMoveInParallel(size, blockSize))
        return oneSession();
    const ExtraSessions extra;
    if (extra.count() == 0)
        return oneSession();
    std::vector<std::unique_ptr<BlockReader>> readers = input.parallelReaders(extra.count());
    if (!readers.empty()) {
        if (std::unique_ptr<BlockWriter> writer = output.sharedWriter())
            return ParallelBlockRead(std::move(readers), *writer, size, blockSize, progress).run();
        readers.clear();
    }
    std::vector<std::unique_ptr<BlockWriter>> writers = output.parallelWriters(extra.count());
    if (!writers.empty())
        return ParallelBlockCopy(input, size, blockSize, std::move(writers), progress).run();
    return oneSession();
}

} // namespace tarvo
