#pragma once

#include "platform/FileTypes.h"

#include <functional>
#include <optional>
#include <stop_token>

namespace tarvo {

// Follows one copy. Called on the copy's own threads, and from several at
// once when a big file moves through parallel sessions.
class CopyWatcher
{
public:
    virtual ~CopyWatcher() = default;
    // After each block that reached the target: `done` of the source's
    // `size` bytes have arrived so far.
    virtual void blockCopied(quint64 done, quint64 size) = 0;
    // Once the source is open, before its first byte is read: the version
    // that the copy reads, as the store gave it with the open.
    virtual void sourceOpened(const FileInfo& source) { Q_UNUSED(source); }
    // Before the first block, when the copy goes on from the part that a cut
    // copy of the same source left: its first `offset` bytes are there.
    virtual void resuming(quint64 offset, quint64 size)
    {
        Q_UNUSED(offset);
        Q_UNUSED(size);
    }
};

struct CopyRequest
{
    QString source;
    QString target;
    bool failIfExists = false;
    // The version that the source must still be (for filing a file that was
    // sent): a source whose size or last-write time differs fails the copy
    // with SourceChanged.
    const FileInfo* copiedAs = nullptr;
    CopyWatcher* watcher = nullptr;
    // Looked at before each block: once a stop is requested, the copy ends
    // with Cancelled, its part goes and the target stays as it was.
    std::stop_token stop{};
};

struct CopyOutcome
{
    int error = 0;
    // The source as it was copied: its size and last-write time held from
    // the first byte read to the last. Set when error is 0.
    FileInfo source;
    // The copy took the place of a file that held the target's name.
    bool replaced = false;
    // That file's last-write time, where the copy learnt it on its way.
    std::optional<FileTime> replacedTime;
    // The bytes that the part of an earlier, cut copy held, which this copy
    // went on from; 0 when it began at the first byte. A failed copy that
    // went on from a part tells it as well.
    quint64 resumedFrom = 0;

    static CopyOutcome failed(int error) { return {error, {}, false, std::nullopt}; }
};

// The files and folders that sessions work on. Paths are the program's own:
// device paths ("\My Documents\a.txt", "/" accepted as well) name files under
// the device root, network paths ("\\server\share\folder\a.txt") name files on
// SMB shares. Every operation returns 0 or a PlatformError code, with the same
// codes on both kinds of path.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // True when the path names an existing file (or folder) that can be opened for reading.
    virtual bool canOpenForReading(const QString& path) = 0;

    virtual int readAttributes(const QString& path, FileInfo& info) = 0;

    // Calls visit for every entry of the folder ("." and ".." never, nor the
    // program's own temporary files), in the order that the file system
    // gives them, until visit returns false. Fails when the folder cannot be
    // listed; an empty folder lists nothing and succeeds.
    using Visitor = std::function<bool(const DirEntry&)>;
    virtual int listFolder(const QString& folder, const Visitor& visit) = 0;

    // A copy keeps the source's last-write time and never leaves a partial
    // target: it writes a part file beside the target and renames it into
    // place only once every byte read has arrived and the source still is
    // what it was when the copy began. A big file's copy that is cut off
    // (the connection lost, the run stopped, the process ended) leaves its
    // part, which the next copy of the same source to the same target goes
    // on with while the source is still that version.
    virtual CopyOutcome copy(const CopyRequest& request) = 0;

    // The bytes that a copy of source (now `version`, as a look at it gave
    // it) to target would take from a part that a cut copy left, as far as
    // the part's note tells (the copy itself checks the part's last block as
    // well); 0 when it would begin at the first byte. Asks the store nothing
    // for a file too small to be resumed.
    virtual quint64 resumableBytes(const QString& source, const FileInfo& version,
                                   const QString& target)
    {
        Q_UNUSED(source);
        Q_UNUSED(version);
        Q_UNUSED(target);
        return 0;
    }

    // Fails with FileExists when the target exists. With `copiedAs`, fails
    // with SourceChanged, touching nothing, when the source no longer has
    // that size and last-write time.
    virtual int moveFile(const QString& source, const QString& target,
                         const FileInfo* copiedAs) = 0;

    // With `copiedAs`, as moveFile.
    virtual int deleteFile(const QString& path, const FileInfo* copiedAs) = 0;

    // A run of the program begins: the first copy of the run into each
    // folder looks there once more for what other runs left (their parts to
    // remove or to go on with), also in a process that has run before.
    virtual void runStarts() {}

    // How finely the folder's file system keeps the last-write time that a
    // copy gives a file there, in FileTime ticks; 0 when it does not keep
    // the time it is given at all.
    virtual FileTime timeResolution(const QString& folder)
    {
        Q_UNUSED(folder);
        return MicrosecondTicks;
    }
    static constexpr FileTime MicrosecondTicks = 10;

    int copyFile(const QString& source, const QString& target, bool failIfExists)
    {
        return copy({source, target, failIfExists}).error;
    }
    int moveFile(const QString& source, const QString& target)
    {
        return moveFile(source, target, nullptr);
    }
    int deleteFile(const QString& path) { return deleteFile(path, nullptr); }

    // Convenience: the whole listing as a list.
    int listFolder(const QString& folder, DirEntryList& entries)
    {
        return listFolder(folder, [&entries](const DirEntry& entry) {
            entries.append(entry);
            return true;
        });
    }
};

} // namespace tarvo
