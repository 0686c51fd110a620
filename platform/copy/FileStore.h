#pragma once

#include "platform/copy/ResumableParts.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <memory>
#include <vector>

namespace tarvo {

// Reads blocks at given offsets of a source file. Several readers of one
// file may run at once, each on its own thread.
class BlockReader
{
public:
    virtual ~BlockReader() = default;
    // Makes the reader ready, on the thread that uses it; false when it
    // cannot be, and the copy goes on without it.
    virtual bool start() { return true; }
    // The number of bytes read (fewer only at the end), or a negated
    // PlatformError code.
    virtual qint64 readAt(quint64 offset, char* buffer, qint64 size) = 0;
};

// An open file that a copy reads from.
class SourceFile
{
public:
    virtual ~SourceFile() = default;
    // Attributes, times and size as they were when the file was opened.
    virtual const FileInfo& info() const = 0;
    // The number of bytes read, 0 at the end, or a negated PlatformError code.
    virtual qint64 read(char* buffer, qint64 size) = 0;
    // Moves to `offset`, where the next read() begins; 0 or why not.
    virtual int seek(quint64 offset)
    {
        Q_UNUSED(offset);
        return PlatformError::NotSupported;
    }
    // The file's attributes as the store reports them now, asked through the
    // open file, so a copy can tell whether the file changed while it read.
    virtual int currentInfo(FileInfo& info) = 0;
    // Readers that read the file side by side, up to `count` beyond the
    // file's own handle, for a store where blocks in flight at once move
    // faster than one after another (a share: each reader has its own
    // session). None where that gains nothing.
    virtual std::vector<std::unique_ptr<BlockReader>> parallelReaders(int count)
    {
        Q_UNUSED(count);
        return {};
    }
    // Up to `count` more readers, each with a session of its own, for a copy
    // already reading through parallelReaders() that finds more would pay.
    virtual std::vector<std::unique_ptr<BlockReader>> moreReaders(int count)
    {
        Q_UNUSED(count);
        return {};
    }
};

// Puts blocks at given offsets of a part file. Several writers of one part
// file may run at once, each on its own thread.
class BlockWriter
{
public:
    virtual ~BlockWriter() = default;
    // Makes the writer ready, on the thread that uses it; false when it
    // cannot be, and the copy goes on without it.
    virtual bool start() { return true; }
    virtual int writeAt(quint64 offset, const char* data, qint64 size) = 0;
};

// A temporary file beside a copy's target. It becomes the target only through
// commit(); destroyed before that, it removes itself, so a failed or cut-off
// copy leaves neither a partial file nor a changed target: unless the copy
// asked to keep() it, when it stays with its note for a later copy to go on
// with.
class PartFile
{
public:
    virtual ~PartFile() = default;
    // What the part of an earlier, cut copy that this part goes on with
    // held: its bytes, and the source it was a copy of. None for a new part.
    virtual std::optional<PartLeft> resumed() const { return std::nullopt; }
    // Reads the part's bytes at `offset`: the number read, or a negated
    // PlatformError code.
    virtual qint64 readAt(quint64 offset, char* buffer, qint64 size)
    {
        Q_UNUSED(offset);
        Q_UNUSED(buffer);
        Q_UNUSED(size);
        return -PlatformError::NotSupported;
    }
    // The part is cut to `offset` bytes (of a part that goes on from a cut
    // copy's part: at most its size), and writes through write() go on
    // there; 0 or why not. Nothing the cut copy wrote after it stays, so a
    // part never holds bytes of two copies past the point where it is whole.
    virtual int goOnAt(quint64 offset)
    {
        Q_UNUSED(offset);
        return PlatformError::NotSupported;
    }
    // The part stays when it goes uncommitted, for a later copy: only a part
    // made with a ResumeNote can. Every byte before `whole` was written; a
    // part that was written side by side (see ResumeNote::inOrder) is cut
    // there, where the store still can, and its note then says it is in
    // order, so that the next copy goes on from its very end.
    virtual void keep(quint64 whole) { Q_UNUSED(whole); }
    virtual int write(const char* data, qint64 size) = 0;
    // Writers that fill the file side by side, up to `count` beyond the
    // file's own handle, for a store where blocks in flight at once move
    // faster than one after another (a share: each writer has its own
    // session, so its round trips overlap with the others'). None where that
    // gains nothing. A file filled through them is not written through write().
    virtual std::vector<std::unique_ptr<BlockWriter>> parallelWriters(int count)
    {
        Q_UNUSED(count);
        return {};
    }
    // Up to `count` more writers, each with a session of its own, for a copy
    // already filling the file through parallelWriters() that finds more
    // would pay.
    virtual std::vector<std::unique_ptr<BlockWriter>> moreWriters(int count)
    {
        Q_UNUSED(count);
        return {};
    }
    // One writer that places blocks anywhere in the file and may be called
    // from several threads at once, for a store where that costs nothing
    // extra (a local file); none elsewhere. Blocks read in parallel from a
    // share arrive through it in whatever order they come.
    virtual std::unique_ptr<BlockWriter> sharedWriter() { return nullptr; }
    // The file's size as the store reports it now, asked through the file's
    // own handle once every writer has finished.
    virtual int storedSize(quint64& size) = 0;
    // Closes the file, gives it the last-write time and renames it into place;
    // `replaced` tells whether a file held the target's name until then.
    virtual int commit(const FileInfo& source, bool failIfExists, bool& replaced) = 0;
};

// One kind of file system (local device or SMB shares) as the copy engine sees it.
class FileStore : public FileSystem
{
public:
    virtual int openSource(const QString& path, std::unique_ptr<SourceFile>& file) = 0;
    // `alone`: the copy writes the part only through write(), never through
    // parallelWriters(); the store may then keep every other writer out
    // while the part is open, and count the bytes it acknowledged instead of
    // asking for the part's size.
    // `resume`: what a copy that may be cut off copies. The part is then
    // the one that a cut copy of the same source to the same target left, if
    // the folder holds one that no live copy writes (see PartFile::resumed),
    // and has its note written beside it.
    virtual int createPart(const QString& target, bool alone, const ResumeNote* resume,
                           std::unique_ptr<PartFile>& file) = 0;
    // The size of the part that a cut copy left for this copy to target, as
    // far as its note tells (see FileSystem::resumableBytes); 0 for none.
    virtual quint64 resumablePart(const QString& target, const ResumeNote& copy)
    {
        Q_UNUSED(target);
        Q_UNUSED(copy);
        return 0;
    }
    // Whether a copy to or from this store may move blocks side by side
    // (see MoveBlocks), so that a part cut off may have gaps.
    virtual bool movesSideBySide() const { return false; }
    // True when moveFile() can rename source to target without copying.
    virtual bool canRename(const QString& source, const QString& target) const = 0;
    // The block that copies to or from this store move best; a copy between
    // two stores uses the bigger of their two.
    virtual qint64 copyBufferSize() const = 0;
};

// Copies between two stores, or within one: the source's bytes go to a part
// file beside the target, which then takes the source's last-write time and
// is renamed into place, but only when all of these hold:
//   - every byte read was written, and the part's size as its store reports
//     it is that count (else ArrivedIncomplete);
//   - the source, looked at again after its last byte was read, has the
//     size and last-write time it had when the copy began, and that size is
//     what was read (else SourceChanged).
// A copy through parallel sessions that fails for any reason but a changed
// source is made once more through the one session: the parallel path is a
// shortcut, never a risk.
//
// A big file's copy that is cut off (stopped, the connection lost) keeps its
// part with a note of its source; the next copy of that source to that
// target goes on from the part's end when, and only when, the source still
// has the noted size, last-write time and identity, the part is no longer
// than the source, and the part's last block reads the same as the source's
// bytes at its offset. Otherwise the part goes and the copy begins at the
// first byte. The checks before the commit count the part's earlier bytes
// with the ones this copy wrote.
CopyOutcome copyAcrossStores(FileStore& from, FileStore& to, const CopyRequest& request);
// What such a copy would take from a part that a cut copy left.
quint64 resumableAcrossStores(FileStore& from, FileStore& to, const QString& source,
                              const FileInfo& version, const QString& target);

// A move that cannot rename: copy (failing when the target exists), then
// delete the source. When the source cannot be deleted the copy is removed
// again, so a failed move leaves both sides as they were.
int moveAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target,
                     const FileInfo* copiedAs);

} // namespace tarvo
