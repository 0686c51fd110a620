#include "core/transfer/RunProgress.h"

#include <algorithm>

namespace tarvo {

int ProgressSnapshot::percent() const
{
    if (weightTotal == 0)
        return 0;
    return int(std::min<quint64>(weightDone, weightTotal) * 100 / weightTotal);
}

RunProgress::RunProgress(int fileCount, QList<quint64> sizes)
    : m_entries(size_t(std::max(fileCount, 0)))
    , m_fileCount(fileCount)
{
    for (int i = 0; i < fileCount; ++i) {
        Entry& entry = m_entries[size_t(i)];
        entry.owner = this;
        entry.size = i < sizes.size() ? sizes.at(i) : 0;
        m_bytesTotal += entry.size;
    }
}

CopyWatcher* RunProgress::watcher(int index, CopyWatcher* also)
{
    Entry& entry = m_entries.at(size_t(index));
    entry.also = also;
    return &entry;
}

qint64 RunProgress::counted(const Entry& entry, quint64 done)
{
    return qint64(std::min(done, entry.size));
}

void RunProgress::Entry::blockCopied(quint64 doneNow, quint64 total)
{
    // A copy tried again starts from 0: the difference may be negative.
    const quint64 before = done.exchange(doneNow);
    owner->m_inFlightBytes.fetch_add(counted(*this, doneNow) - counted(*this, before));
    if (also)
        also->blockCopied(doneNow, total);
}

void RunProgress::Entry::resuming(quint64 offset, quint64 size)
{
    owner->m_resumedBytes += offset - resumedAt.exchange(offset);
    if (also)
        also->resuming(offset, size);
}

void RunProgress::show(int index, int number, quint64 size)
{
    m_shownSize = size;
    m_shownNumber = number;
    m_shownIndex = index;
}

void RunProgress::finish(int index)
{
    Entry& entry = m_entries.at(size_t(index));
    if (entry.finished)
        return;
    entry.finished = true;
    // Called once its copy has ended: no block of it arrives any more.
    m_inFlightBytes.fetch_sub(counted(entry, entry.done));
    m_finishedBytes.fetch_add(qint64(entry.size));
    ++m_finishedFiles;
}

ProgressSnapshot RunProgress::snapshot() const
{
    ProgressSnapshot shot;
    shot.fileCount = m_fileCount;
    shot.bytesTotal = m_bytesTotal;
    shot.weightTotal = m_bytesTotal + FileWeight * quint64(m_fileCount);
    const int shown = m_shownIndex;
    shot.fileNumber = m_shownNumber;
    if (shown >= 0) {
        shot.fileSize = m_shownSize;
        shot.fileDone = std::min<quint64>(m_entries.at(size_t(shown)).done, shot.fileSize);
        shot.fileResumedAt = m_entries.at(size_t(shown)).resumedAt;
    }
    const qint64 bytes = std::max<qint64>(m_finishedBytes + m_inFlightBytes, 0);
    shot.bytesDone = std::min<quint64>(quint64(bytes), m_bytesTotal);
    shot.bytesResumed = std::min<quint64>(m_resumedBytes, shot.bytesDone);
    shot.weightDone = shot.bytesDone + FileWeight * quint64(m_finishedFiles.load());
    return shot;
}

} // namespace tarvo
