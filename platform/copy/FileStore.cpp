#include "platform/copy/FileStore.h"

#include "platform/ErrorCodes.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <QByteArray>
#include <thread>
#include <utility>

namespace tarvo {

namespace {

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

// What moving a file's bytes came to.
struct Transfer
{
    int error = PlatformError::Success;
    quint64 read = 0;
    quint64 written = 0;
    bool parallel = false; // through parallel sessions
};

// Passes a copy's progress to its watcher, from whichever thread moved the
// block, and asks it whether to go on.
class Progress
{
public:
    Progress(CopyWatcher* watcher, quint64 size)
        : m_watcher(watcher)
        , m_size(size)
    {}

    bool stopRequested() const { return m_watcher && m_watcher->stopRequested(); }
    void arrived(quint64 bytes)
    {
        if (m_watcher)
            m_watcher->blockCopied(m_done.fetch_add(bytes) + bytes, m_size);
    }

private:
    CopyWatcher* const m_watcher;
    const quint64 m_size;
    std::atomic<quint64> m_done{0};
};

// The source's blocks one after another to the part file, the next block read
// on another thread while this one is written, so the waits of the two sides
// overlap.
Transfer copyBlocks(SourceFile& input, PartFile& output, quint64 size, qint64 bufferSize,
                    Progress& progress)
{
    Transfer result;
    if (progress.stopRequested())
        return {PlatformError::Cancelled, 0, 0, false};
    QByteArray current(size == 0 ? 4096 : qint64(qMin<quint64>(size, quint64(bufferSize))),
                       Qt::Uninitialized);
    QByteArray ahead;
    qint64 wanted = nextBlock(size, result.read, current.size());
    qint64 got = wanted > 0 ? input.read(current.data(), wanted) : 0;
    while (got > 0) {
        result.read += quint64(got);
        wanted = progress.stopRequested() ? 0 : nextBlock(size, result.read, current.size());
        std::future<qint64> next;
        if (wanted > 0) {
            if (ahead.size() < wanted)
                ahead.resize(current.size());
            next = std::async(std::launch::async, [&input, &ahead, wanted] {
                return input.read(ahead.data(), wanted);
            });
        }
        const int error = output.write(current.constData(), got);
        if (!error) {
            result.written += quint64(got);
            progress.arrived(quint64(got));
        }
        got = next.valid() ? next.get() : 0;
        if (error)
            return {error, result.read, result.written, false};
        std::swap(current, ahead);
    }
    if (got < 0)
        result.error = int(-got);
    else if (progress.stopRequested())
        result.error = PlatformError::Cancelled;
    return result;
}

// The source's blocks read one after another and written by several writers
// at once, each taking the next block that has been read. The first error
// stops both sides.
class ParallelBlockCopy
{
public:
    ParallelBlockCopy(SourceFile& input, quint64 size, qint64 blockSize,
                      std::vector<std::unique_ptr<BlockWriter>> writers, Progress& progress)
        : m_input(input)
        , m_size(size)
        , m_writers(std::move(writers))
        , m_progress(progress)
    {
        // One block in each writer's hands, one being read, one waiting.
        for (size_t i = 0; i < m_writers.size() + 2; ++i)
            m_free.emplace_back(size_t(blockSize));
    }

    Transfer run()
    {
        std::vector<std::thread> threads;
        threads.reserve(m_writers.size());
        for (const std::unique_ptr<BlockWriter>& writer : m_writers)
            threads.emplace_back([this, &writer] { drain(*writer); });
        readAll();
        for (std::thread& thread : threads)
            thread.join();
        m_writers.clear(); // every handle closed before the part is looked at
        return {m_error, m_read, m_written, true};
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
            const int error = writer.writeAt(block.offset, block.data.data(), block.length);
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
    Progress& m_progress;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Plain buffers: they pass between threads only under the mutex.
    std::vector<std::vector<char>> m_free;
    std::deque<Block> m_full;
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
                      quint64 size, qint64 blockSize, Progress& progress)
        : m_readers(std::move(readers))
        , m_writer(writer)
        , m_size(size)
        , m_blockSize(quint64(blockSize))
        , m_progress(progress)
    {}

    Transfer run()
    {
        std::vector<std::thread> threads;
        threads.reserve(m_readers.size() - 1);
        for (size_t i = 1; i < m_readers.size(); ++i)
            threads.emplace_back([this, i] { readAndPlace(*m_readers[i]); });
        readAndPlace(*m_readers.front());
        for (std::thread& thread : threads)
            thread.join();
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
    Progress& m_progress;
    std::atomic<quint64> m_next{0};
    std::atomic<quint64> m_read{0};
    std::atomic<quint64> m_placed{0};
    std::atomic<int> m_error{PlatformError::Success};
};

// Moves the source's bytes into the part file the fastest way that both
// sides offer for a file of this size.
Transfer copyContent(SourceFile& input, PartFile& output, quint64 size, qint64 bufferSize,
                     bool allowParallel, Progress& progress)
{
    if (!allowParallel || size < ParallelMinimumBlocks * quint64(bufferSize))
        return copyBlocks(input, output, size, bufferSize, progress);
    const ExtraSessions extra;
    if (extra.count() == 0)
        return copyBlocks(input, output, size, bufferSize, progress);
    std::vector<std::unique_ptr<BlockReader>> readers = input.parallelReaders(extra.count());
    if (!readers.empty()) {
        if (std::unique_ptr<BlockWriter> writer = output.sharedWriter())
            return ParallelBlockRead(std::move(readers), *writer, size, bufferSize, progress).run();
        readers.clear();
    }
    std::vector<std::unique_ptr<BlockWriter>> writers = output.parallelWriters(extra.count());
    if (!writers.empty())
        return ParallelBlockCopy(input, size, bufferSize, std::move(writers), progress).run();
    return copyBlocks(input, output, size, bufferSize, progress);
}

// One copy of a file, checked before its part becomes the target.
class VerifiedCopy
{
public:
    VerifiedCopy(FileStore& from, FileStore& to, const CopyRequest& request)
        : m_from(from)
        , m_to(to)
        , m_request(request)
        , m_bufferSize(qMax(from.copyBufferSize(), to.copyBufferSize()))
    {}

    CopyOutcome run()
    {
        if (int error = m_from.openSource(m_request.source, m_input))
            return CopyOutcome::failed(error);
        m_began = m_input->info();
        if (m_request.copiedAs && !SameVersion(m_began, *m_request.copiedAs))
            return CopyOutcome::failed(PlatformError::SourceChanged);
        // Don't copy a big file only to be refused at the end. A file that
        // fits in one block skips this look: the commit looks anyway, and on
        // a share every look is a round trip.
        if (m_request.failIfExists && m_began.Size > quint64(m_bufferSize) &&
            m_to.canOpenForReading(m_request.target))
            return CopyOutcome::failed(PlatformError::FileExists);

        std::unique_ptr<PartFile> part;
        bool parallel = false;
        int error = fill(true, part, parallel);
        if (error && parallel && error != PlatformError::SourceChanged &&
            error != PlatformError::Cancelled) {
            // Whatever went wrong through the parallel sessions (a server that
            // refused them halfway, or mishandled a second handle on the
            // part), the file goes once more through the one session.
            part.reset();
            m_input.reset();
            error = m_from.openSource(m_request.source, m_input);
            if (!error && !SameVersion(m_input->info(), m_began))
                error = PlatformError::SourceChanged;
            if (!error)
                error = fill(false, part, parallel);
        }
        if (error)
            return CopyOutcome::failed(error);
        m_input.reset(); // release the source before the target appears
        if (int commitError = part->commit(m_began, m_request.failIfExists))
            return CopyOutcome::failed(commitError);
        return {PlatformError::Success, m_began};
    }

private:
    // A new part holding the source's bytes, checked; 0 or why not.
    int fill(bool allowParallel, std::unique_ptr<PartFile>& part, bool& parallel)
    {
        if (int error = m_to.createPart(m_request.target, part))
            return error;
        Progress progress(m_request.watcher, m_began.Size);
        const Transfer moved =
            copyContent(*m_input, *part, m_began.Size, m_bufferSize, allowParallel, progress);
        parallel = moved.parallel;
        if (moved.error)
            return moved.error;
        FileInfo now;
        if (int error = m_input->currentInfo(now))
            return error;
        if (!SameVersion(now, m_began))
            return PlatformError::SourceChanged;
        if (moved.read != m_began.Size || moved.written != moved.read)
            return PlatformError::ArrivedIncomplete;
        quint64 stored = 0;
        if (int error = part->storedSize(stored))
            return error;
        return stored == moved.written ? PlatformError::Success : PlatformError::ArrivedIncomplete;
    }

    FileStore& m_from;
    FileStore& m_to;
    const CopyRequest& m_request;
    const qint64 m_bufferSize;
    std::unique_ptr<SourceFile> m_input;
    FileInfo m_began;
};

} // namespace

CopyOutcome copyAcrossStores(FileStore& from, FileStore& to, const CopyRequest& request)
{
    return VerifiedCopy(from, to, request).run();
}

int moveAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target,
                     const FileInfo* copiedAs)
{
    const CopyOutcome copied = copyAcrossStores(from, to, {source, target, true, copiedAs});
    if (copied.error)
        return copied.error;
    // Only the version that was copied goes.
    if (int error = from.deleteFile(source, &copied.source)) {
        to.deleteFile(target);
        return error;
    }
    return PlatformError::Success;
}

} // namespace tarvo
