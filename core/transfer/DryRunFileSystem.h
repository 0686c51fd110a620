#pragma once

#include "platform/FileSystem.h"

#include <mutex>
#include <optional>
#include <QHash>
#include <QSet>

namespace tarvo {

// A file system that reads as the one it wraps and changes nothing: every
// copy, move and delete succeeds as far as can be known without doing it (a
// missing source still fails), and a copy onto an existing file says it
// would replace it. A run over it goes exactly as a real run would, asking
// the same questions, and tells its actions as planned.
class DryRunFileSystem : public FileSystem
{
public:
    explicit DryRunFileSystem(FileSystem& files);

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
    void runStarts() override { m_files.runStarts(); }
    quint64 resumableBytes(const QString& source, const FileInfo& version,
                           const QString& target) override;

private:
    // Whether something holds the target's name, as far as a look shows: a
    // look at the target itself, or its folder's listing. A file that this
    // user may not read is still there, and a copy onto it would replace it
    // (or fail trying). A name that the store refuses sets `refusal`.
    bool holdsName(const QString& target, std::optional<FileTime>* time = nullptr,
                   int* refusal = nullptr);

    FileSystem& m_files;
    std::mutex m_mutex;                     // copies ahead look from several threads
    QHash<QString, QSet<QString>> m_listed; // names by folder, as first listed
    QSet<QString> m_removed;                // files the dry run has pruned or deleted
};

} // namespace tarvo
