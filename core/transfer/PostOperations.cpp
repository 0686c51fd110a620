#include "core/transfer/PostOperations.h"

#include "config/NetSession.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"
#include "platform/FileSystem.h"
#include "platform/MessageService.h"

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

PostOutcome PostOperations::ApplyPostOperation(const QString& source, const QString& postTarget,
                                               PostOperation postOp, const FileInfo* copiedAs)
{
    if (stopped())
        return {PlatformError::Cancelled};
    switch (postOp) {
    case PostOperation::Copy: {
        const QString failed =
            QStringLiteral("Failed to copy file %1 to %2").arg(source, postTarget);
        const int error = m_files.copy({source, postTarget, true, copiedAs}).error;
        if (error != PlatformError::FileExists) {
            if (error)
                reportFailure(PostFailure(failed, error));
            return {error};
        }
        const QString question = QStringLiteral("File %1 exists. Overwrite?").arg(postTarget);
        const MessageResult answer =
            m_messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel);
        if (stopped())
            return {PlatformError::Cancelled}; // answered after the stop, or never
        if (answer == MessageResult::Cancel)
            return {PlatformError::FileExists, true};
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
        return {replaceError};
    }
    case PostOperation::Del: {
        const QString question = QStringLiteral("Delete file %1 ?").arg(source);
        const MessageResult answer =
            m_messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel);
        if (stopped())
            return {PlatformError::Cancelled}; // answered after the stop, or never
        if (answer == MessageResult::Cancel)
            return {0, true};
        // Right before it acts: the question may have stood open for long.
        const int error = m_files.deleteFile(source, copiedAs);
        if (error)
            reportFailure(
                PostFailure(QStringLiteral("Failed to delete file %1").arg(source), error));
        return {error};
    }
    case PostOperation::Move: {
        const int error = m_files.moveFile(source, postTarget, copiedAs);
        if (error)
            reportFailure(PostFailure(
                QStringLiteral("Failed to move file %1 to %2").arg(source, postTarget), error));
        return {error};
    }
    default:
        return {};
    }
}

void PostOperations::reportFailure(const QString& message)
{
    ++m_failures;
    m_messages.showMessage(message, MessageIcon::Information, MessageButtons::Ok);
}

} // namespace tarvo
