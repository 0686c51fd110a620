#include "core/transfer/PostOperations.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/filelist/FileFilter.h"
#include "core/transfer/SyncTargets.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <QSet>

namespace tarvo {

int CompareFileInfos(const FileInfo& a, const FileInfo& b)
{
    int mask = 0;
    if (a.sizeLow() != b.sizeLow() || a.sizeHigh() != b.sizeHigh())
        mask |= CompareBit::Size;
    if (a.LastWriteTime != b.LastWriteTime)
        mask |= CompareBit::LastWrite;
    if (a.Attributes != b.Attributes)
        mask |= CompareBit::Attributes;
    if (a.CreationTime != b.CreationTime)
        mask |= CompareBit::Creation;
    if (a.LastAccessTime != b.LastAccessTime)
        mask |= CompareBit::LastAccess;
    return mask;
}

namespace {

// The message of a failed post-operation, with its reason.
QString PostFailure(const QString& message, int error)
{
    if (error == PlatformError::SourceChanged)
        return message +
               QStringLiteral("\r\nIt changed after it was copied, so it stays as it is.");
    return WithReason(message, error);
}

} // namespace

PostOperations::PostOperations(FileSystem& files, MessageService& messages, std::stop_token stop)
    : m_files(files)
    , m_messages(messages)
    , m_stop(std::move(stop))
{}

int PostOperations::ApplyPostOperation(const QString& source, const QString& postTarget, int postOp,
                                       const FileInfo* copiedAs)
{
    if (stopped())
        return PlatformError::Cancelled;
    switch (postOp) {
    case PostCopy: {
        const QString failed =
            QStringLiteral("Failed to copy file %1 to %2").arg(source, postTarget);
        const int error = m_files.copy({source, postTarget, true, copiedAs}).error;
        if (error != PlatformError::FileExists) {
            if (error)
                reportFailure(PostFailure(failed, error));
            return error;
        }
        const QString question = QStringLiteral("File %1 exists. Overwrite?").arg(postTarget);
        const MessageResult answer =
            m_messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel);
        if (stopped())
            return PlatformError::Cancelled; // answered after the stop, or never
        if (answer == MessageResult::Cancel)
            return PlatformError::FileExists;
        // Replace the old post file in one step instead of deleting it first:
        // a copy that then failed would leave neither. A read-only post file
        // stays, as it could not be deleted.
        FileInfo existing;
        int replaceError = m_files.readAttributes(postTarget, existing);
        if (replaceError == 0 && (existing.Attributes & FileAttribute::ReadOnly))
            replaceError = PlatformError::AccessDenied;
        if (replaceError == 0)
            replaceError = m_files.copy({source, postTarget, false, copiedAs}).error;
        if (replaceError)
            reportFailure(PostFailure(QStringLiteral("Failed to overwrite file %1").arg(postTarget),
                                      replaceError));
        return replaceError;
    }
    case PostDel: {
        const QString question = QStringLiteral("Delete file %1 ?").arg(source);
        const MessageResult answer =
            m_messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel);
        if (stopped())
            return PlatformError::Cancelled; // answered after the stop, or never
        if (answer == MessageResult::Cancel)
            return 0;
        // Right before it acts: the question may have stood open for long.
        const int error = m_files.deleteFile(source, copiedAs);
        if (error)
            reportFailure(
                PostFailure(QStringLiteral("Failed to delete file %1").arg(source), error));
        return error;
    }
    case PostMove: {
        const int error = m_files.moveFile(source, postTarget, copiedAs);
        if (error)
            reportFailure(PostFailure(
                QStringLiteral("Failed to move file %1 to %2").arg(source, postTarget), error));
        return error;
    }
    default:
        return 0;
    }
}

void PostOperations::reportFailure(const QString& message)
{
    ++m_failures;
    m_messages.showMessage(message, MessageIcon::Information, MessageButtons::Ok);
}

bool PostOperations::NeedsSyncCopy(const QString& source, const QString& target, int& remembered)
{
    if (!m_files.canOpenForReading(target))
        return true;
    FileInfo sourceInfo;
    FileInfo targetInfo;
    const bool read =
        !m_files.readAttributes(source, sourceInfo) && !m_files.readAttributes(target, targetInfo);
    if (!read)
        sourceInfo = targetInfo = FileInfo{};
    const int mask = read ? SyncCompare(sourceInfo, targetInfo, SplitPath(target).folder) : 0;
    return DecideSyncCopy(true, mask, {source, sourceInfo}, {target, targetInfo}, remembered);
}

int PostOperations::SyncCompare(const FileInfo& source, const FileInfo& target,
                                const QString& targetFolder)
{
    int mask = CompareFileInfos(source, target);
    // Only when the sizes agree does the time decide; only then is it worth
    // learning how finely the target's file system keeps it.
    if ((mask & CompareBit::LastWrite) && !(mask & CompareBit::Size)) {
        const FileTime resolution = m_files.timeResolution(targetFolder);
        const FileTime apart = source.LastWriteTime > target.LastWriteTime
                                   ? source.LastWriteTime - target.LastWriteTime
                                   : target.LastWriteTime - source.LastWriteTime;
        if (resolution == 0 && !std::exchange(m_timelessSaid, true)) {
            m_messages.showMessage(QStringLiteral("%1 does not keep the last-write times of its "
                                                  "files, so Sync cannot tell unchanged files and "
                                                  "copies them again.")
                                       .arg(targetFolder),
                                   MessageIcon::Information, MessageButtons::Ok);
        } else if (apart < resolution) {
            mask &= ~CompareBit::LastWrite;
        }
    }
    return mask;
}

bool PostOperations::DecideSyncCopy(bool targetExists, int compareMask, const ReplaceFile& source,
                                    const ReplaceFile& target, int& remembered)
{
    if (!targetExists || (compareMask & SyncCompareMask))
        return true;
    if (remembered == ReplaceYesToAll)
        return true;
    if (remembered == ReplaceNoToAll)
        return false;
    const ReplaceReply reply = m_messages.confirmReplace(target, source);
    if (!reply.accepted)
        return false;
    remembered = reply.answer;
    return reply.answer == ReplaceYes || reply.answer == ReplaceYesToAll;
}

int PostOperations::CompareFileInfo(const QString& a, const QString& b)
{
    FileInfo infoA;
    FileInfo infoB;
    if (m_files.readAttributes(a, infoA) || m_files.readAttributes(b, infoB))
        return 0;
    return CompareFileInfos(infoA, infoB);
}

int PostOperations::ListFolderFiles(const QString& folder, QStringList& list,
                                    FolderSnapshot* snapshot)
{
    const QString prefix = AddTrailingSeparator(folder);
    QStringList found;
    const int error = m_files.listFolder(prefix, [&](const DirEntry& entry) {
        // A name that is no single entry of the folder ("..", "a\b") would
        // lead a delete out of it; a link or a pipe is no file of the mirror.
        if (entry.Info.isDirectory() || (entry.Info.Attributes & FileAttribute::NotPlain) ||
            !IsPlainFileName(entry.Name))
            return true;
        found.append(prefix + entry.Name);
        if (snapshot)
            snapshot->insert(found.last(), entry.Info);
        return true;
    });
    if (error)
        return -1;
    list.append(found);
    return int(list.size());
}

void PostOperations::PruneSyncTarget(SyncTargets& targets, const QStringList& transferList,
                                     const QString& name, const QString& line,
                                     const QStringList& namePatterns)
{
    const QString targetFolder = SessionTargetFolder(name, line);
    // The target files that the session's entries land on, looked up once
    // per entry instead of walking the whole run for each file.
    QSet<QString> carried;
    for (const QString& entry : transferList) {
        const SplitEntryResult split = SplitEntry(entry);
        if (split.sessionName != name)
            continue;
        if (const std::optional<ReplaceFile> target =
                targets.targetOf(SplitPath(split.path).fileName))
            carried.insert(target->path);
    }
    for (const QString& file : targets.files()) {
        const QString fileName = file.mid(targetFolder.size());
        const bool inFolder = file.startsWith(targetFolder) && IsPlainFileName(fileName);
        if (!inFolder || carried.contains(file))
            continue;
        // Files that the patterns leave out are no part of the mirror.
        const bool chosen =
            namePatterns.isEmpty() ||
            std::any_of(namePatterns.cbegin(), namePatterns.cend(),
                        [&](const QString& p) { return MatchWildcard(p, fileName); });
        if (chosen)
            m_files.deleteFile(file); // a file that cannot go stays, silently
    }
}

} // namespace tarvo
