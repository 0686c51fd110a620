#include "platform/copy/BlockBuffer.h"
#include "platform/copy/BlockCopy.h"
#include "platform/copy/FileStore.h"
#include "platform/ErrorCodes.h"

#include <algorithm>
#include <vector>

namespace tarvo {

namespace {

// The part's last block that must read the same as the source's bytes at
// its offset before a copy goes on from the part's end.
constexpr qint64 ResumeCheckBytes = 1 << 20;

// Whether a copy that failed with this error leaves its part for a later
// copy: one that was cut off, by the user or a lost connection, does; one
// whose source changed, or whose part is worth nothing (a full disk, bytes
// that did not arrive), does not.
bool leavesPart(int error)
{
    switch (error) {
    case PlatformError::SourceChanged:
    case PlatformError::ArrivedIncomplete:
    case PlatformError::DiskFull:
    case PlatformError::HandleDiskFull:
    case PlatformError::FileExists:
    case PlatformError::AccessDenied:
        return false;
    default:
        return true;
    }
}

QString FileNameIn(const QString& path)
{
    return path.mid(qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1);
}

// Reads exactly `size` bytes, fewer only at the end; the number read, or a
// negated PlatformError code.
qint64 readFully(SourceFile& input, char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 got = input.read(buffer + done, size - done);
        if (got < 0)
            return got;
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

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

        // Only a big file's copy is worth going on with: a small one costs
        // nothing more than it did.
        if (MayMoveInParallel(m_began.Size, m_bufferSize)) {
            m_note = {FileNameIn(m_request.target), m_request.source, m_began};
        }

        std::unique_ptr<PartFile> part;
        bool parallel = false;
        int error = fill(true, part, parallel);
        if (error && parallel && error != PlatformError::SourceChanged &&
            error != PlatformError::Cancelled) {
            // Whatever went wrong through the parallel sessions (a server that
            // refused them halfway, or mishandled a second handle on the
            // part), the file goes once more through the one session: on
            // from the part where it is worth it.
            if (m_note && leavesPart(error))
                part->keep(m_whole);
            part.reset();
            m_input.reset();
            error = m_from.openSource(m_request.source, m_input);
            if (!error && !SameVersion(m_input->info(), m_began))
                error = PlatformError::SourceChanged;
            if (!error)
                error = fill(false, part, parallel);
        }
        if (error)
            return failed(error, part);
        m_input.reset(); // release the source before the target appears
        bool replaced = false;
        if (int commitError = part->commit(m_began, m_request.failIfExists, replaced))
            return failed(commitError, part);
        return {PlatformError::Success, m_began, replaced, std::nullopt, m_resumedFrom};
    }

private:
    CopyOutcome failed(int error, const std::unique_ptr<PartFile>& part)
    {
        if (part && m_note && leavesPart(error))
            part->keep(m_whole);
        CopyOutcome outcome = CopyOutcome::failed(error);
        outcome.resumedFrom = m_resumedFrom;
        return outcome;
    }

    // A new part holding the source's bytes, checked; 0 or why not. A part
    // that a cut copy left is gone on with from its end when it may be.
    int fill(bool allowParallel, std::unique_ptr<PartFile>& part, bool& parallel)
    {
        const bool alone = !allowParallel || !MayMoveInParallel(m_began.Size, m_bufferSize);
        if (m_note) // one block after another: see MoveBlocks
            m_note->inOrder = alone || (!m_from.movesSideBySide() && !m_to.movesSideBySide());
        const ResumeNote* note = m_note ? &*m_note : nullptr;
        if (int error = m_to.createPart(m_request.target, alone, note, part))
            return error;
        quint64 start = 0;
        m_whole = 0;
        if (const std::optional<PartLeft> left = part->resumed()) {
            start = left->goOnAt();
            m_whole = start; // kept again should this copy fail before its first block
            const int error = mayResume(*part, *left, start);
            if (error < 0)
                return -error;
            if (error) {
                // Not this source's bytes: the part goes, and a new one
                // begins at the first byte.
                part.reset();
                if (int again = m_to.createPart(m_request.target, alone, note, part))
                    return again;
                start = 0;
                m_whole = 0;
                if (int seekError = m_input->seek(0))
                    return seekError;
            } else if (int goOnError = part->goOnAt(start)) {
                return goOnError;
            }
        }
        m_resumedFrom = start;
        if (start > 0 && m_request.watcher)
            m_request.watcher->resuming(start, m_began.Size);
        BlockProgress progress(m_request.watcher, m_request.stop, m_began.Size, start);
        const BlockTransfer moved =
            MoveBlocks(*m_input, *part, m_began.Size, m_bufferSize, allowParallel, progress, start);
        parallel = moved.parallel;
        m_whole = moved.whole;
        if (moved.error)
            return moved.error;
        FileInfo now;
        if (int error = m_input->currentInfo(now))
            return error;
        if (!SameVersion(now, m_began))
            return PlatformError::SourceChanged;
        if (start + moved.read != m_began.Size || moved.written != moved.read)
            return PlatformError::ArrivedIncomplete;
        quint64 stored = 0;
        if (int error = part->storedSize(stored))
            return error;
        return stored == start + moved.written ? PlatformError::Success
                                               : PlatformError::ArrivedIncomplete;
    }

    // Whether the copy may go on at `size` bytes of the part that a cut copy
    // left, noted as `left`: 0 when it may (the source is then read on from
    // there), 1 when it may not, or a negated PlatformError code for a read
    // that failed.
    int mayResume(PartFile& part, const PartLeft& left, quint64 size)
    {
        if (!SameVersion(left.about.version, m_began) || left.size > m_began.Size || size == 0)
            return 1;
        const qint64 length = qint64(qMin<quint64>(size, quint64(ResumeCheckBytes)));
        const quint64 offset = size - quint64(length);
        BlockBuffer both(2 * static_cast<size_t>(length));
        char* const ours = both.data();
        char* const theirs = ours + length;
        const qint64 inPart = part.readAt(offset, ours, length);
        if (inPart < 0)
            return int(inPart);
        if (int error = m_input->seek(offset))
            return -error;
        const qint64 inSource = readFully(*m_input, theirs, length);
        if (inSource < 0)
            return int(inSource);
        return inPart == length && inSource == length && std::equal(ours, theirs, theirs) ? 0 : 1;
    }

    FileStore& m_from;
    FileStore& m_to;
    const CopyRequest& m_request;
    const qint64 m_bufferSize;
    std::unique_ptr<SourceFile> m_input;
    FileInfo m_began;
    std::optional<ResumeNote> m_note; // for a copy worth going on with
    quint64 m_resumedFrom = 0;
    quint64 m_whole = 0; // of the part, as far as its last fill went
};

} // namespace

CopyOutcome copyAcrossStores(FileStore& from, FileStore& to, const CopyRequest& request)
{
    return VerifiedCopy(from, to, request).run();
}

quint64 resumableAcrossStores(FileStore& from, FileStore& to, const QString& source,
                              const FileInfo& version, const QString& target)
{
    if (!MayMoveInParallel(version.Size, qMax(from.copyBufferSize(), to.copyBufferSize())))
        return 0;
    return to.resumablePart(target, {FileNameIn(target), source, version});
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
