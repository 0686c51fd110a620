#include "platform/copy/BlockCopy.h"

#include "platform/copy/BlockBuffer.h"
#include "platform/copy/CopyShape.h"
#include "platform/ErrorCodes.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <QScopeGuard>
#include <set>
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
// Sessions that big copies may add beyond those, for the whole process, once
// they find more pay (a far server: see CopyShapeGrowth).
constexpr int GrowthCount = 4;
// How much bigger a block gets where bigger blocks pay.
constexpr qint64 FarBlockFactor = 4;

// Sessions out of a count for the whole process: a run copies several files
// at once, and if each big one opened its own extra sessions the server
// would carry dozens of them for no gain. What a copy holds goes back when
// it ends.
class SessionTokens
{
public:
    explicit SessionTokens(std::atomic<int>& pool, int wanted = 0)
        : m_pool(pool)
    {
        take(wanted);
    }
    ~SessionTokens() { m_pool += m_count; }
    SessionTokens(const SessionTokens&) = delete;
    SessionTokens& operator=(const SessionTokens&) = delete;

    int count() const { return m_count; }
    // Takes up to `wanted` more; how many it got.
    int take(int wanted)
    {
        int free = m_pool.load();
        int taken = 0;
        do {
            taken = qMin(free, wanted);
            if (taken <= 0)
                return 0;
        } while (!m_pool.compare_exchange_weak(free, free - taken));
        m_count += taken;
        return taken;
    }
    void giveBack(int count)
    {
        count = qMin(count, m_count);
        m_count -= count;
        m_pool += count;
    }

private:
    std::atomic<int>& m_pool;
    int m_count = 0;
};

std::atomic<int> s_extraFree{ParallelCount};
std::atomic<int> s_growthFree{GrowthCount};

// What a parallel copy does as it learns its shape: the block its next
// blocks take, and the sessions it adds or gives back. Used under the
// copy's own lock.
class CopyShaper
{
public:
    using Clock = CopyShapeGrowth::Clock;
    struct Change
    {
        int add = 0;
        int retire = 0;
    };

    CopyShaper(qint64 block, int sessions)
        : m_growth({{block, sessions},
                    {block * FarBlockFactor, sessions},
                    {block * FarBlockFactor, sessions + 2},
                    {block * FarBlockFactor, sessions + 4}},
                   Clock::now())
        , m_sessions(sessions)
    {}

    qint64 block() const { return m_growth.current().block; }

    Change arrived(quint64 bytes)
    {
        if (!m_growth.arrived(bytes, Clock::now()))
            return {};
        const int wanted = m_growth.current().sessions - m_sessions;
        if (wanted < 0) {
            m_tokens.giveBack(-wanted);
            m_sessions += wanted;
            return {0, -wanted};
        }
        const int got = m_tokens.take(wanted);
        if (got < wanted)
            m_growth.fellShort(m_sessions + got);
        m_sessions += got;
        return {got, 0};
    }
    // Of `asked` sessions to add, the store offered `got`.
    void offered(int asked, int got)
    {
        if (got >= asked)
            return;
        m_tokens.giveBack(asked - got);
        m_sessions -= asked - got;
        m_growth.fellShort(m_sessions);
    }

private:
    CopyShapeGrowth m_growth;
    SessionTokens m_tokens{s_growthFree};
    int m_sessions;
};

// Threads that may start more threads of their kind while they run: joined
// until none is left.
class GrowingThreads
{
public:
    ~GrowingThreads() { joinAll(); }

    template <typename Work> void start(Work&& work)
    {
        std::lock_guard lock(m_mutex);
        m_threads.emplace_back(std::forward<Work>(work));
    }
    void joinAll()
    {
        for (;;) {
            std::jthread thread;
            {
                std::lock_guard lock(m_mutex);
                if (m_threads.empty())
                    return;
                thread = std::move(m_threads.back());
                m_threads.pop_back();
            }
            thread.join();
        }
    }

private:
    std::mutex m_mutex;
    std::vector<std::jthread> m_threads;
};

// The source's blocks read one after another and written by several writers
// at once, each taking the next block that has been read. The first error
// stops both sides. With a source of more writers, the copy learns whether
// bigger blocks and more writers pay, and takes them where they do.
class ParallelBlockCopy
{
public:
    using MoreWriters = std::function<std::vector<std::unique_ptr<BlockWriter>>(int count)>;

    ParallelBlockCopy(SourceFile& input, quint64 size, qint64 blockSize,
                      std::vector<std::unique_ptr<BlockWriter>> writers, BlockProgress& progress,
                      quint64 start, bool parallel = true, MoreWriters more = {})
        : m_input(input)
        , m_size(size)
        , m_start(start)
        , m_block(blockSize)
        , m_writers(std::move(writers))
        , m_progress(progress)
        , m_parallel(parallel)
        , m_more(std::move(more))
    {
        // One block in each writer's hands, one being read, one waiting.
        for (size_t i = 0; i < m_writers.size() + 2; ++i)
            m_free.emplace_back(size_t(blockSize));
        if (m_more)
            m_shaper.emplace(blockSize, int(m_writers.size()));
    }

    BlockTransfer run()
    {
        {
            std::lock_guard lock(m_mutex);
            for (const std::unique_ptr<BlockWriter>& writer : m_writers)
                startWriter(*writer);
        }
        readAll();
        m_threads.joinAll();
        m_thrown.rethrow();
        m_writers.clear(); // every handle closed before the part is looked at
        const quint64 unwritten = m_full.empty() ? m_read : m_full.front().offset;
        return {m_error, m_read - m_start, m_written, m_parallel, qMin(m_firstGap, unwritten)};
    }

private:
    struct Block
    {
        quint64 offset;
        qint64 length;
        BlockBuffer data;
    };

    // Under m_mutex.
    void startWriter(BlockWriter& writer)
    {
        m_threads.start([this, &writer] {
            m_thrown.run([&] { drain(writer); },
                         [this] {
                             std::lock_guard lock(m_mutex);
                             fail(PlatformError::WriteFault);
                             m_changed.notify_all();
                         });
        });
    }

    void readAll()
    {
        for (;;) {
            BlockBuffer buffer;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return !m_free.empty() || m_error; });
                if (m_error)
                    break;
                buffer = std::move(m_free.back());
                m_free.pop_back();
                buffer.resize(size_t(m_block)); // the copy's shape may have changed
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
                m_changed.wait(lock, [this] {
                    if (m_error || m_retire > 0)
                        return true;
                    return m_full.empty() ? m_endOfInput : fitsWindow(m_full.front());
                });
                if (m_retire > 0 && !m_error) {
                    // Given back: the others take the blocks.
                    --m_retire;
                    --m_writersLeft;
                    return;
                }
                if (m_error || m_full.empty())
                    return;
                block = std::move(m_full.front());
                m_full.pop_front();
                m_inFlight.insert(block.offset);
            }
            // Blocks read ahead go unwritten once the copy is to stop: a
            // small file may be read whole long before its last write.
            const int error = m_progress.stopRequested()
                                  ? int(PlatformError::Cancelled)
                                  : writer.writeAt(block.offset, block.data.data(), block.length);
            if (!error)
                m_progress.arrived(quint64(block.length));
            std::lock_guard lock(m_mutex);
            m_inFlight.erase(block.offset);
            if (error) {
                m_firstGap = qMin(m_firstGap, block.offset);
                fail(error);
            } else {
                m_written += quint64(block.length);
                m_free.push_back(std::move(block.data));
                reshape(quint64(block.length));
            }
            m_changed.notify_all();
        }
    }

    // Under m_mutex: whether a writer may take the block now (see OutOfOrderBytes).
    bool fitsWindow(const Block& block) const
    {
        return WithinOutOfOrderWindow(m_inFlight, block.offset + quint64(block.length));
    }

    // Under m_mutex, after a block was written.
    void reshape(quint64 written)
    {
        if (!m_shaper || m_endOfInput || m_error)
            return;
        const CopyShaper::Change change = m_shaper->arrived(written);
        m_block = m_shaper->block();
        m_retire += change.retire;
        if (change.add == 0)
            return;
        std::vector<std::unique_ptr<BlockWriter>> more = m_more(change.add);
        m_shaper->offered(change.add, int(more.size()));
        for (std::unique_ptr<BlockWriter>& writer : more) {
            m_free.emplace_back(size_t(m_block));
            ++m_writersLeft;
            m_writers.push_back(std::move(writer));
            startWriter(*m_writers.back());
        }
    }

    void fail(int error)
    {
        if (!m_error)
            m_error = error;
    }

    SourceFile& m_input;
    const quint64 m_size;
    const quint64 m_start;
    qint64 m_block;
    std::vector<std::unique_ptr<BlockWriter>> m_writers;
    BlockProgress& m_progress;
    const bool m_parallel;
    const MoreWriters m_more;
    std::optional<CopyShaper> m_shaper;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Plain buffers: they pass between threads only under the mutex.
    std::vector<BlockBuffer> m_free;
    std::deque<Block> m_full;
    std::set<quint64> m_inFlight; // offsets of the blocks in writers' hands
    quint64 m_firstGap = std::numeric_limits<quint64>::max(); // of a block that failed
    ThrownOnHelpers m_thrown;
    size_t m_writersLeft = m_writers.size();
    int m_retire = 0; // writers to give back
    bool m_endOfInput = false;
    quint64 m_read = m_start;
    quint64 m_written = 0;
    int m_error = PlatformError::Success;
    GrowingThreads m_threads; // joined first when the copy goes
};

// The source's blocks read by several readers at once, each taking the next
// block that nobody has taken and writing it where it belongs; for a source
// whose reads wait on round trips (a share) and a target that places blocks
// anywhere (a local file). The first error stops every reader. With a source
// of more readers, the copy learns whether bigger blocks and more readers
// pay, and takes them where they do.
class ParallelBlockRead
{
public:
    using MoreReaders = std::function<std::vector<std::unique_ptr<BlockReader>>(int count)>;

    ParallelBlockRead(std::vector<std::unique_ptr<BlockReader>> readers, BlockWriter& writer,
                      quint64 size, qint64 blockSize, BlockProgress& progress, quint64 start,
                      MoreReaders more = {})
        : m_readers(std::move(readers))
        , m_writer(writer)
        , m_size(size)
        , m_block(quint64(blockSize))
        , m_progress(progress)
        , m_more(std::move(more))
        , m_next(start)
    {
        if (m_more)
            m_shaper.emplace(blockSize, int(m_readers.size()));
    }

    BlockTransfer run()
    {
        {
            std::lock_guard lock(m_shapeMutex);
            for (size_t i = 1; i < m_readers.size(); ++i)
                startReader(*m_readers[i]);
        }
        BlockReader& own = *m_readers.front();
        readAndPlace(own);
        m_threads.joinAll();
        m_thrown.rethrow();
        m_readers.clear(); // every handle closed before the part is looked at
        return {m_error.load(), m_read.load(), m_placed.load(), true,
                qMin(m_firstGap, qMin(m_next.load(), m_size))};
    }

private:
    // Under m_shapeMutex.
    void startReader(BlockReader& reader)
    {
        m_threads.start([this, &reader] {
            m_thrown.run([&] { readAndPlace(reader); },
                         [this] { failWith(PlatformError::ReadFault); });
        });
    }

    void readAndPlace(BlockReader& reader)
    {
        if (!reader.start())
            return; // the others take its blocks
        BlockBuffer buffer;
        while (m_error.load() == PlatformError::Success) {
            if (m_progress.stopRequested()) {
                failWith(PlatformError::Cancelled);
                return;
            }
            if (retired())
                return;
            const quint64 block = m_block.load();
            const std::optional<quint64> claimed = claim(block);
            if (!claimed)
                return;
            const quint64 offset = *claimed;
            bool placed = false;
            const auto release = qScopeGuard([&] { this->release(offset, placed); });
            const qint64 wanted = qint64(qMin(block, m_size - offset));
            buffer.resize(size_t(wanted));
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
            placed = true;
            m_placed += quint64(got);
            m_progress.arrived(quint64(got));
            reshape(quint64(got));
        }
    }

    // The offset of the next block, once it is within OutOfOrderBytes of the
    // first block in flight; none once there is none, or the copy failed.
    std::optional<quint64> claim(quint64 block)
    {
        std::unique_lock lock(m_windowMutex);
        m_windowChanged.wait(lock, [&] {
            return m_error.load() != PlatformError::Success ||
                   WithinOutOfOrderWindow(m_inFlight, m_next.load() + block);
        });
        if (m_error.load() != PlatformError::Success)
            return std::nullopt;
        const quint64 offset = m_next.fetch_add(block);
        if (offset >= m_size)
            return std::nullopt;
        m_inFlight.insert(offset);
        return offset;
    }
    void release(quint64 offset, bool placed)
    {
        std::lock_guard lock(m_windowMutex);
        m_inFlight.erase(offset);
        if (!placed)
            m_firstGap = qMin(m_firstGap, offset);
        m_windowChanged.notify_all();
    }

    bool retired()
    {
        int retire = m_retire.load();
        while (retire > 0 && !m_retire.compare_exchange_weak(retire, retire - 1)) {
        }
        return retire > 0;
    }

    void reshape(quint64 placed)
    {
        if (!m_shaper)
            return;
        std::lock_guard lock(m_shapeMutex);
        if (m_next.load() >= m_size || m_error.load() != PlatformError::Success)
            return;
        const CopyShaper::Change change = m_shaper->arrived(placed);
        m_block = quint64(m_shaper->block());
        m_retire += change.retire;
        if (change.add == 0)
            return;
        std::vector<std::unique_ptr<BlockReader>> more = m_more(change.add);
        m_shaper->offered(change.add, int(more.size()));
        for (std::unique_ptr<BlockReader>& reader : more) {
            m_readers.push_back(std::move(reader));
            startReader(*m_readers.back());
        }
    }

    void failWith(int error)
    {
        int none = PlatformError::Success;
        m_error.compare_exchange_strong(none, error);
        std::lock_guard lock(m_windowMutex);
        m_windowChanged.notify_all();
    }

    // Readers are added while others read: each is reached only through the
    // reference its thread was given, never through the list.
    std::vector<std::unique_ptr<BlockReader>> m_readers;
    BlockWriter& m_writer;
    const quint64 m_size;
    std::atomic<quint64> m_block;
    BlockProgress& m_progress;
    const MoreReaders m_more;
    std::mutex m_shapeMutex; // m_shaper and the list of readers
    std::optional<CopyShaper> m_shaper;
    std::atomic<int> m_retire{0};
    std::atomic<quint64> m_next;
    std::atomic<quint64> m_read{0};
    std::atomic<quint64> m_placed{0};
    std::atomic<int> m_error{PlatformError::Success};
    std::mutex m_windowMutex; // m_inFlight, and the claim of the next offset
    std::condition_variable m_windowChanged;
    std::set<quint64> m_inFlight; // offsets of the blocks being read or placed
    quint64 m_firstGap = std::numeric_limits<quint64>::max(); // of a block not placed
    ThrownOnHelpers m_thrown;
    GrowingThreads m_threads; // joined first when the copy goes
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
    BlockBuffer buffer(size == 0 ? 4096 : size_t(size));
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
                         bool allowParallel, BlockProgress& progress, quint64 start)
{
    if (size <= quint64(blockSize) && size != 0 && start == 0)
        return copyOneBlock(input, output, size, blockSize, progress);
    // Blocks read while the one before is written, so the waits of the two
    // sides overlap.
    const auto oneSession = [&] {
        std::vector<std::unique_ptr<BlockWriter>> writer;
        writer.push_back(std::make_unique<SequentialWriter>(output));
        return ParallelBlockCopy(input, size, blockSize, std::move(writer), progress, start, false)
            .run();
    };
    if (!allowParallel || !MayMoveInParallel(size, blockSize))
        return oneSession();
    const SessionTokens extra(s_extraFree, ParallelCount);
    if (extra.count() == 0)
        return oneSession();
    std::vector<std::unique_ptr<BlockReader>> readers = input.parallelReaders(extra.count());
    if (!readers.empty()) {
        if (std::unique_ptr<BlockWriter> writer = output.sharedWriter())
            return ParallelBlockRead(std::move(readers), *writer, size, blockSize, progress, start,
                                     [&input](int count) { return input.moreReaders(count); })
                .run();
        readers.clear();
    }
    std::vector<std::unique_ptr<BlockWriter>> writers = output.parallelWriters(extra.count());
    if (!writers.empty())
        return ParallelBlockCopy(input, size, blockSize, std::move(writers), progress, start, true,
                                 [&output](int count) { return output.moreWriters(count); })
            .run();
    return oneSession();
}

} // namespace tarvo
