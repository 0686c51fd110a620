#pragma once

#include "platform/copy/FileStore.h"

#include <atomic>
#include <stop_token>

namespace tarvo {

// What moving a file's bytes came to.
struct BlockTransfer
{
    int error = 0;
    quint64 read = 0;
    quint64 written = 0;
    bool parallel = false; // through parallel sessions
    // The offset before which every byte is written: where blocks moved side
    // by side, a copy cut off may have gaps after it.
    quint64 whole = 0;
};

// Passes a copy's progress to its watcher, from whichever thread moved the
// block, and tells whether the copy is to stop.
class BlockProgress
{
public:
    // `start`: the bytes that were there before the copy (a part it goes on with).
    BlockProgress(CopyWatcher* watcher, std::stop_token stop, quint64 size, quint64 start = 0)
        : m_watcher(watcher)
        , m_stop(std::move(stop))
        , m_size(size)
        , m_done(start)
    {}

    bool stopRequested() const { return m_stop.stop_requested(); }
    void arrived(quint64 bytes)
    {
        if (m_watcher)
            m_watcher->blockCopied(m_done.fetch_add(bytes) + bytes, m_size);
    }

private:
    CopyWatcher* const m_watcher;
    const std::stop_token m_stop;
    const quint64 m_size;
    std::atomic<quint64> m_done;
};

// Moves the source's `size` bytes from `start` on (where the source is read
// next, and the part written next) into the part file, in blocks of
// `blockSize`, the fastest way that both sides offer for a file of this size:
// one block at once, blocks read while the one before is written, or blocks
// through parallel sessions of a share (unless `allowParallel` is false).
//
// The counts it gives are of the bytes from `start` on.
//
// The parallel sessions are the copy's own business, not the core's: which
// requests a copy sends, and on how many sessions, is decided by the file
// systems down here, where the server's refusals are seen and answered.
BlockTransfer MoveBlocks(SourceFile& input, PartFile& output, quint64 size, qint64 blockSize,
                         bool allowParallel, BlockProgress& progress, quint64 start = 0);

// Whether MoveBlocks, allowed to, moves a file of `size` bytes through
// parallel sessions where the stores offer them.
bool MayMoveInParallel(quint64 size, qint64 blockSize);

} // namespace tarvo
