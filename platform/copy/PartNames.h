#pragma once

#include <mutex>
#include <QByteArray>
#include <QSet>
#include <QString>

namespace tarvo {

// The names of the program's temporary files, which a copy writes before it
// renames them onto their targets. They are recognisably the program's own,
// so listings leave them out, and they tell which host and process wrote
// them and when, so a later run can remove what a dead run left behind
// without touching the parts of one that still runs:
//
//   .tarvo-<host>-<pid>-<created>-<random>.part   the usual shape
//   tarvo-<host>-<pid>-<created>-<random>.tmp     for servers that refuse the usual one
//
// A part that a cut copy may go on with has a note beside it, named as the
// part with ".note" for its ending, which tells what the part is a copy of
// (see ResumeNote).
//
// <host> and <random> are 8 hex digits, <pid> decimal, <created> the Unix
// time in hex. Earlier versions named their parts ".tarvo-<16 hex>.part" and
// ".tarvo-<6 letters or digits>.part"; those are the program's own as well.
namespace PartNames {

enum class Shape { Hidden, Plain };

// A new name for a part written by this process.
QString make(Shape shape);

// Whether the name is one of the program's parts, of either shape.
bool isPart(const QString& name);

// The folder of its own in which a long run into one share folder writes its parts.
inline QString folderName()
{
    return QStringLiteral(".tarvo-parts");
}

// Whether the name is the note beside a part that a cut copy may go on with.
bool isNote(const QString& name);
// The note's name beside a part, and the part's beside a note.
QString noteFor(const QString& partName);
QString partFor(const QString& noteName);

// Whether the name is the program's own: a part, a part's note, or a part
// folder. Listings never show these.
inline bool isProgramOwn(const QString& name)
{
    return name == folderName() || isPart(name) || isNote(name);
}

// Whether a part of this name, last written at `lastWrite` (seconds since
// 1970), was left behind by a run that is gone: on this host, by a process
// that no longer runs; elsewhere, when it was made more than a day ago (a
// live copy keeps its part open, and a server refuses to remove an open
// file). A part of an earlier version's shape counts from its last write.
bool isLeftover(const QString& name, qint64 lastWrite);

// How long a part with a note is kept for a copy to go on with, counted
// from its last write: a part left longer is removed as any other leftover.
constexpr qint64 ResumableForSeconds = 7 * 24 * 60 * 60;
bool isResumable(qint64 lastWrite);

} // namespace PartNames

// The folders in which the process has written a part: the first part
// written in a folder sweeps it of what dead runs left there.
class LeftoverSweeps
{
public:
    // True the first time it is asked about a folder.
    bool firstVisit(const QByteArray& folder)
    {
        std::lock_guard lock(m_mutex);
        if (m_visited.contains(folder))
            return false;
        m_visited.insert(folder);
        return true;
    }
    // A new run: every folder is visited anew.
    void forget()
    {
        std::lock_guard lock(m_mutex);
        m_visited.clear();
    }

private:
    std::mutex m_mutex;
    QSet<QByteArray> m_visited;
};

} // namespace tarvo
