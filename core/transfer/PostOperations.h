#pragma once

#include "config/NetSession.h"
#include "platform/FileTypes.h"
#include "platform/MessageService.h"

#include <atomic>
#include <QHash>
#include <QString>
#include <QStringList>
#include <stop_token>

namespace tarvo {

class FileSystem;

// The bits of CompareFileInfos: what differs between two files.
namespace CompareBit {
constexpr int Size = 0x01;
constexpr int LastWrite = 0x02;
constexpr int Creation = 0x04;
constexpr int LastAccess = 0x08;
constexpr int Attributes = 0x10;
} // namespace CompareBit

// Sync decides by size and last-write time only.
constexpr int SyncCompareMask = CompareBit::Size | CompareBit::LastWrite;

int CompareFileInfos(const FileInfo& a, const FileInfo& b);

// What is done to a source after its copy: Copy, Del or Move into the post
// folder (Sync is no post-operation: see SyncPlan).
// How a post-operation ended: 0 or why it failed, and whether the user
// answered its question No (nothing done, no failure).
struct PostOutcome
{
    int error = 0;
    bool declined = false;
};

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
    PostOutcome ApplyPostOperation(const QString& source, const QString& postTarget,
                                   PostOperation postOp, const FileInfo* copiedAs = nullptr);

    // The post-operations that failed so far (a question answered Cancel is
    // no failure).
    int failures() const { return m_failures.load(); }

private:
    void reportFailure(const QString& message);

    bool stopped() const { return m_stop.stop_requested(); }

    FileSystem& m_files;
    MessageService& m_messages;
    const std::stop_token m_stop;
    std::atomic<int> m_failures{0}; // read by a run's summary from other threads
};

} // namespace tarvo
