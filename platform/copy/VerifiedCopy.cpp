#include "platform/copy/BlockCopy.h"
#include "platform/copy/FileStore.h"
#include "platform/ErrorCodes.h"

namespace tarvo {

namespace {

// One copy of a file, checked before its part becomes the target.
class VerifiedCopy
{
public:
    VerifiedCopy(FileStore& from, FileStore& to, const CopyRequest& request)
        : m_from(from)
        , m_to(to)
        , m_request(request)
        , m_bufferSize(qMax(from.copyBufferSize(), to.copyBufferSize()))
    {}

    CopyOutcome run()
    {
        if (m_request.stop.stop_requested())
            return CopyOutcome::failed(PlatformError::Cancelled);
        if (int error = m_from.openSource(m_request.source, m_input))
            return CopyOutcome::failed(error);
        m_began = m_input->info();
        if (m_request.watcher)
            m_request.watcher->sourceOpened(m_began);
        if (m_request.copiedAs && !SameVersion(m_began, *m_request.copiedAs))
            return CopyOutcome::failed(PlatformError::SourceChanged);
        // Don't copy a big file only to be refused at the end. A file that
        // fits in one block skips this look: the commit looks anyway, and on
        // a share every look is a round trip.
        if (m_request.failIfExists && m_began.Size > quint64(m_bufferSize) &&
            m_to.canOpenForReading(m_request.target))
            return CopyOutcome::failed(PlatformError::FileExists);

        std::unique_ptr<PartFile> part;
        bool parallel = false;
        int error = fill(true, part, parallel);
        if (error && parallel && error != PlatformError::SourceChanged &&
            error != PlatformError::Cancelled) {
            // Whatever went wrong through the parallel sessions (a server that
            // refused them halfway, or mishandled a second handle on the
            // part), the file goes once more through the one session.
            part.reset();
            m_input.reset();
            error = m_from.openSource(m_request.source, m_input);
            if (!error && !SameVersion(m_input->info(), m_began))
                error = PlatformError::SourceChanged;
            if (!error)
                error = fill(false, part, parallel);
        }
        if (error)
            return CopyOutcome::failed(error);
        m_input.reset(); // release the source before the target appears
        bool replaced = false;
        if (int commitError = part->commit(m_began, m_request.failIfExists, replaced))
            return CopyOutcome::failed(commitError);
        return {PlatformError::Success, m_began, replaced, std::nullopt};
    }

private:
    // A new part holding the source's bytes, checked; 0 or why not.
    int fill(bool allowParallel, std::unique_ptr<PartFile>& part, bool& parallel)
    {
        const bool alone = !allowParallel || !MayMoveInParallel(m_began.Size, m_bufferSize);
        if (int error = m_to.createPart(m_request.target, alone, part))
            return error;
        BlockProgress progress(m_request.watcher, m_request.stop, m_began.Size);
        const BlockTransfer moved =
            MoveBlocks(*m_input, *part, m_began.Size, m_bufferSize, allowParallel, progress);
        parallel = moved.parallel;
        if (moved.error)
            return moved.error;
        FileInfo now;
        if (int error = m_input->currentInfo(now))
            return error;
        if (!SameVersion(now, m_began))
            return PlatformError::SourceChanged;
        if (moved.read != m_began.Size || moved.written != moved.read)
            return PlatformError::ArrivedIncomplete;
        quint64 stored = 0;
        if (int error = part->storedSize(stored))
            return error;
        return stored == moved.written ? PlatformError::Success : PlatformError::ArrivedIncomplete;
    }

    FileStore& m_from;
    FileStore& m_to;
    const CopyRequest& m_request;
    const qint64 m_bufferSize;
    std::unique_ptr<SourceFile> m_input;
    FileInfo m_began;
};

} // namespace

CopyOutcome copyAcrossStores(FileStore& from, FileStore& to, const CopyRequest& request)
{
    return VerifiedCopy(from, to, request).run();
}

int moveAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target,
                     const FileInfo* copiedAs)
{
    const CopyOutcome copied = copyAcrossStores(from, to, {source, target, true, copiedAs});
    if (copied.error)
        return copied.error;
    // Only the version that was copied goes.
    if (int error = from.deleteFile(source, &copied.source)) {
        to.deleteFile(target);
        return error;
    }
    return PlatformError::Success;
}

} // namespace tarvo
