#pragma once

#include "platform/FileTypes.h"
#include "platform/MessageService.h"

#include <atomic>
#include <QHash>
#include <QString>
#include <QStringList>
#include <stop_token>

namespace tarvo {

class FileSystem;
class SyncTargets;

// The bits of CompareFileInfo: what differs between two files.
namespace CompareBit {
constexpr int Size = 0x01;
constexpr int LastWrite = 0x02;
constexpr int Creation = 0x04;
constexpr int LastAccess = 0x08;
constexpr int Attributes = 0x10;
} // namespace CompareBit

// Sync decides by size and last-write time only.
constexpr int SyncCompareMask = CompareBit::Size | CompareBit::LastWrite;

// Files of a folder listing keyed by their full path, so that a Sync can
// judge its targets from one listing instead of asking per file.
using FolderSnapshot = QHash<QString, FileInfo>;

int CompareFileInfos(const FileInfo& a, const FileInfo& b);

// What is done to a source after its copy, and the pieces of Sync.
class PostOperations
{
public:
    // Once a stop is requested, no post-operation acts any more, also one
    // whose question was answered after the stop.
    PostOperations(FileSystem& files, MessageService& messages, std::stop_token stop = {});

    // Copy, Del or Move the source; 0 or the error code of the step that
    // failed, Cancelled when the run was stopped before it acted. With
    // `copiedAs` (the source as its transfer read it), a source that has
    // changed since is left as it is: its new content was not sent.
    int ApplyPostOperation(const QString& source, const QString& postTarget, int postOp,
                           const FileInfo* copiedAs = nullptr);

    // True when Sync is to copy the source onto the target; may change the
    // remembered ReplaceAnswer.
    bool NeedsSyncCopy(const QString& source, const QString& target, int& remembered);
    // The same decision from what is already known of both files; their
    // attributes as read are what the replace question shows.
    bool DecideSyncCopy(bool targetExists, int compareMask, const ReplaceFile& source,
                        const ReplaceFile& target, int& remembered);

    // The CompareBit mask; 0 when either file cannot be read.
    int CompareFileInfo(const QString& a, const QString& b);

    // The mask that Sync decides by, for a target in targetFolder: two
    // last-write times closer than the folder's file system keeps them count
    // as the same. A folder that keeps no time at all is said once.
    int SyncCompare(const FileInfo& source, const FileInfo& target, const QString& targetFolder);

    // Appends folder + name of every plain file; the new count, or -1 when
    // the folder cannot be listed (the list is then unchanged). With a
    // snapshot, also records each file's attributes.
    int ListFolderFiles(const QString& folder, QStringList& list,
                        FolderSnapshot* snapshot = nullptr);

    // Deletes the plain files of the target folder that the run does not
    // carry for the session, never a file outside it. A file that a carried
    // name lands on (of that name, or of that name but for letter case where
    // the folder ignores case) is carried. With name patterns, only target
    // files whose names match one are mirrored.
    void PruneSyncTarget(SyncTargets& targets, const QStringList& transferList, const QString& name,
                         const QString& line, const QStringList& namePatterns = {});

    // The post-operations that failed so far (a question answered Cancel is
    // no failure).
    int failures() const { return m_failures.load(); }

private:
    void reportFailure(const QString& message);

    bool stopped() const { return m_stop.stop_requested(); }

    FileSystem& m_files;
    MessageService& m_messages;
    const std::stop_token m_stop;
    bool m_timelessSaid = false;
    std::atomic<int> m_failures{0}; // read by a run's summary from other threads
};

} // namespace tarvo
