#pragma once

#include "platform/FileTypes.h"
#include "platform/MessageService.h"

#include <optional>
#include <QHash>
#include <QStringList>

namespace tarvo {

class FileSystem;

// One plain file of a Sync target folder, as its listing gave it.
struct SyncTarget
{
    QString path;
    FileInfo info;
    bool infoRead = true; // false: it is there, but its size and times could not be read

    bool operator==(const SyncTarget&) const = default;
};

// The plain files of a folder, in the order the folder listed them; nothing
// when it cannot be listed. Folders, links, pipes and names that could lead
// out of the folder are no files of a mirror.
std::optional<QList<SyncTarget>> ListFolderFiles(FileSystem& files, const QString& folder);

// What Sync does to one session's target folder, decided from what is known
// of it, without touching any file: (the run's entries, the target listing,
// the answers) -> actions. The run reads the folder, asks the questions and
// acts; a dry run acts on nothing; both follow the same plan, so they cannot
// disagree.
//
// Names are matched the way the target folder compares them: exactly where
// it tells letter case apart (a Linux folder), ignoring case where it does
// not (a share, as a rule). Which of the two, the run learns from the folder
// (see caseProbe()), and only when a carried name differs from a listed one
// in letter case alone.
class SyncPlan
{
public:
    // `folder` ends with a separator; `carried`: the file names the run
    // carries for the session; `patterns`: the names the mirror covers (none:
    // every name).
    SyncPlan(QString folder, std::optional<QList<SyncTarget>> listing, QStringList carried,
             QStringList patterns = {});

    bool listed() const { return m_listing.has_value(); }

    // A carried name that the folder lists only in another letter case: the
    // run looks it up in the folder, and tells the plan whether the folder
    // found it (it ignores case) before asking anything else. Empty when no
    // name needs it.
    QString caseProbe() const;
    void setIgnoresCase(bool ignores) { m_ignoresCase = ignores; }

    // The listed files that the mirror drops, in listed order: those that no
    // carried name lands on and whose names the patterns cover.
    QStringList prunes() const;

    // The listed file that a copy of fileName lands on: the file of that
    // name, or, where the folder ignores case, of that name but for letter
    // case. None when the folder holds no such file.
    std::optional<SyncTarget> targetOf(const QString& fileName) const;

    enum class Step { Copy, Keep, Ask };
    // A carried file whose target is missing or differs from it (`syncMask`,
    // see SyncMask()) is copied; one that looks the same is copied or kept
    // as the remembered answer says, or asked about.
    static Step Decide(bool targetExists, int syncMask, int remembered);
    // After the question: whether to copy, and the answer to remember for the
    // files after it. A question closed without an answer keeps the file and
    // remembers nothing.
    static bool Answered(const ReplaceReply& reply, int& remembered);

private:
    const QString m_folder;
    const std::optional<QList<SyncTarget>> m_listing;
    const QStringList m_carried;
    const QStringList m_patterns;
    QHash<QString, qsizetype> m_byName;              // listed name -> index
    QHash<QString, QList<qsizetype>> m_byFoldedName; // folded listed name -> indices
    bool m_ignoresCase = true;
};

// What Sync decides by: the size and the last-write time, two times closer
// than the target folder keeps them (`resolution`, in FileTime ticks)
// counting as the same; a folder that keeps no time at all (0) never has the
// same time. The CompareBit bits of the two that differ.
int SyncMask(const FileInfo& source, const FileInfo& target, FileTime resolution);

} // namespace tarvo
