#pragma once

#include "platform/FileSystem.h"

#include <functional>
#include <mutex>
#include <QHash>
#include <QSet>

namespace tarvo {

// A file system that reads as the one it wraps and changes nothing: every
// copy, move and delete is told as a line of what it would do, and succeeds
// as far as can be known without doing it (a missing source still fails).
// A run over it goes exactly as a real run would, asking the same questions.
//
// The lines, tab-separated: "copy" or "replace" (a copy onto a file that
// exists) with source and target, "move" with source and target, "delete"
// with the file (a sent source, deleted as its post-operation), "prune" with
// the file (a target file that a Sync mirror drops: deleted without a
// version it was sent as).
class DryRunFileSystem : public FileSystem
{
public:
    using Report = std::function<void(const QString& line)>;

    DryRunFileSystem(FileSystem& files, Report report);

    bool canOpenForReading(const QString& path) override;
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;
    FileTime timeResolution(const QString& folder) override;

private:
    // Whether something holds the target's name, as far as a look shows: a
    // look at the target itself, or its folder's listing. A file that this
    // user may not read is still there, and a copy onto it would replace it
    // (or fail trying).
    bool holdsName(const QString& target);

    FileSystem& m_files;
    Report m_report;
    std::mutex m_mutex;                     // copies ahead look from several threads
    QHash<QString, QSet<QString>> m_listed; // names by folder, as first listed
    QSet<QString> m_removed;                // files the dry run has pruned or deleted
};

} // namespace tarvo
