#pragma once

#include "platform/FileTypes.h"

#include <mutex>
#include <optional>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <set>

namespace tarvo {

// Blocks written side by side (see MoveBlocks) never run further than this
// ahead of the first block not yet written: a part cut off at any moment,
// its process killed even, holds every byte before its last OutOfOrderBytes.
constexpr quint64 OutOfOrderBytes = quint64(64) << 20;

// Whether a block that ends at `end` may be moved now, with the blocks at
// these offsets still in flight.
inline bool WithinOutOfOrderWindow(const std::set<quint64>& inFlight, quint64 end)
{
    return inFlight.empty() || end <= *inFlight.begin() + OutOfOrderBytes;
}

// What a part that a cut copy may go on with is a copy of: written beside the
// part when a big file's copy begins, removed when the part becomes its
// target or goes. A later copy of the same source to the same target goes on
// from the part's end only while the source is still this version.
struct ResumeNote
{
    QString target;   // the target's file name
    QString source;   // the source's path, as the program names it
    FileInfo version; // size, last-write time, identity and change time
    // The part is written from its first byte to its last, one block after
    // another; else blocks side by side, and only what comes before its last
    // OutOfOrderBytes is sure to be whole.
    bool inOrder = true;

    QByteArray toText() const;
    // None for a note that is not whole, or not one of the program's.
    static std::optional<ResumeNote> parse(const QByteArray& text);
    // The same target and source; whether the source is still the same
    // version is the copy's to check.
    bool sameCopy(const ResumeNote& other) const;
};

// A part left with its note, found where the store keeps its parts.
struct ResumablePart
{
    QByteArray part; // its path or address, as the store names it
    QByteArray note;
    ResumeNote about;
    // Where this process's own copy kept it: every byte before this was written.
    std::optional<quint64> whole;
};

// A part that a copy goes on with, as its store opened it.
struct PartLeft
{
    ResumeNote about;
    quint64 size = 0;
    std::optional<quint64> whole; // see ResumablePart

    // Where the copy may go on: the part's end, unless it was written side
    // by side and may have gaps in its last stretch.
    quint64 goOnAt() const
    {
        if (whole)
            return qMin(*whole, size);
        if (about.inOrder)
            return size;
        return size > OutOfOrderBytes ? size - OutOfOrderBytes : 0;
    }
};

// The parts in each target folder that a copy may go on with: found by the
// folder's first look for leftovers (parts whose writer is gone), and the
// parts this process's own cut copies kept. A part is handed out once: two
// copies never go on with the same part.
class ResumableParts
{
public:
    void offer(const QByteArray& folder, const ResumablePart& part);
    // The part left for this copy in the folder, taken out of the list.
    std::optional<ResumablePart> take(const QByteArray& folder, const ResumeNote& copy);
    // The same, left in the list (for a dry run).
    std::optional<ResumablePart> find(const QByteArray& folder, const ResumeNote& copy);

private:
    std::mutex m_mutex;
    QHash<QByteArray, QList<ResumablePart>> m_parts; // by folder
};

} // namespace tarvo
