#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <deque>
#include <QList>

namespace tarvo {

// How far a run has come, as the bar and the texts show it.
struct ProgressSnapshot
{
    int fileNumber = 0; // the file shown, counted from 1; 0 before the first
    int fileCount = 0;
    quint64 fileDone = 0; // bytes of the file shown that have arrived
    quint64 fileSize = 0;
    // Where the copy of the file shown went on from a cut copy's part; 0
    // for a copy from the first byte.
    quint64 fileResumedAt = 0;
    quint64 bytesDone = 0; // of all the run's files, finished or in flight
    quint64 bytesTotal = 0;
    // Of bytesDone, those that cut copies' parts held and no copy of this
    // run moved: left out of the speed.
    quint64 bytesResumed = 0;
    quint64 weightDone = 0; // bytes plus a share per file (see RunProgress)
    quint64 weightTotal = 0;

    // The bar's position, 0 to 100.
    int percent() const;
};

// Counts the bytes of a run as its copies move them, from whichever thread
// moves a block, and gives a consistent enough picture of it to any thread
// that asks (the window polls it, the terminal's progress line too).
//
// The bar is weighted by size, and each file also weighs as much as
// FileWeight bytes, so that a run of many small files still moves with each
// file and a run of empty files does not sit at 0. Files that were only
// kept, skipped or failed count as done once the run leaves them.
class RunProgress
{
public:
    static constexpr quint64 FileWeight = 64 * 1024;

    // The sizes of the run's entries, in entry order, as the list showed
    // them; missing sizes count as 0.
    RunProgress(int fileCount, QList<quint64> sizes);
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // The watcher of the copy of entry `index`; `also` (when given) sees
    // every block as well. Lives as long as this object.
    CopyWatcher* watcher(int index, CopyWatcher* also);

    // The run has reached entry `index`, the `number`th file it shows, whose
    // source now has `size` bytes.
    void show(int index, int number, quint64 size);
    // The run is done with entry `index`, however it ended.
    void finish(int index);

    ProgressSnapshot snapshot() const;

private:
    class Entry : public CopyWatcher
    {
    public:
        void blockCopied(quint64 done, quint64 size) override;
        void resuming(quint64 offset, quint64 size) override;

        RunProgress* owner = nullptr;
        CopyWatcher* also = nullptr;
        quint64 size = 0;
        std::atomic<quint64> done{0};
        std::atomic<quint64> resumedAt{0};
        bool finished = false;
    };
    // The part of an entry's bytes that counts: never more than its size.
    static qint64 counted(const Entry& entry, quint64 done);

    std::deque<Entry> m_entries; // a deque: entries never move
    quint64 m_bytesTotal = 0;
    int m_fileCount = 0;
    std::atomic<qint64> m_finishedBytes{0};
    std::atomic<qint64> m_inFlightBytes{0};
    std::atomic<int> m_finishedFiles{0};
    std::atomic<quint64> m_resumedBytes{0};
    std::atomic<int> m_shownIndex{-1};
    std::atomic<int> m_shownNumber{0};
    std::atomic<quint64> m_shownSize{0};
};

} // namespace tarvo
