#pragma once

#include "core/transfer/PostOperations.h"

#include <optional>

namespace tarvo {

// The plain files of a Sync session's target folder, as one listing found
// them, and the file that each carried name lands on, decided the way the
// folder compares names: by the exact name where it tells letter case apart
// (a Linux folder), ignoring case where it does not (a share, as a rule).
// Which of the two the folder does is asked of the folder itself, once, the
// first time a carried name differs from a listed one only in case; so the
// dry run and the run decide alike, and a second Sync finds what the first
// one left.
class SyncTargets
{
public:
    // `listed`: the folder's files by full path, or nothing when the folder
    // could not be listed; `order`: their paths in the order listed.
    SyncTargets(FileSystem& files, QString targetFolder, std::optional<FolderSnapshot> listed,
                QStringList order = {});

    bool listed() const { return m_listed.has_value(); }
    // The listed files' full paths, in the order the folder listed them.
    const QStringList& files() const { return m_order; }

    // The listed file that a copy of fileName would replace, with what the
    // listing read of it; nothing when the folder holds no such file.
    std::optional<ReplaceFile> targetOf(const QString& fileName);

private:
    // Whether the folder finds a file by a name that differs from its own in
    // letter case; asked by looking up `name`, which it holds only that way.
    bool ignoresCase(const QString& name);

    FileSystem& m_files;
    const QString m_folder;
    const std::optional<FolderSnapshot> m_listed;
    const QStringList m_order;
    QHash<QString, QStringList> m_byFoldedName; // folded file name -> listed paths
    std::optional<bool> m_ignoresCase;
};

} // namespace tarvo
