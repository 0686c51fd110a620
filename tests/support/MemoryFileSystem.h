#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/ShareConnections.h"
#include "tests/support/Locked.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <QHash>
#include <QMap>
#include <QStringList>
#include <tuple>

namespace tarvo::test {

// Files, folders and share connections in memory, for tests of what the
// program decides. It keeps the contract of the real file systems (a copy
// keeps the source's time and puts the target in place only whole and
// unchanged; a move or delete checks the version it is given), refuses what
// they refuse (a folder copied or deleted as a file, a read-only file
// replaced or deleted), moves a copy's bytes in the blocks they move, and
// records each change, listing and connection in a journal. Device paths
// ("\Docs\a.txt") are compared as written, share paths ("\\pc\share\a.txt")
// regardless of case; a share keeps the letter case of a name it holds.
// Set up before a run; the run's copies may then use it from several threads.
class MemoryFileSystem : public FileSystem, public ShareConnections
{
public:
    static constexpr FileTime DefaultTime = 133000000000000000; // 2022-06-18 04:26:40 UTC
    // The blocks of a copy as the real stores move them: the device's
    // (LocalFileSystem::copyBufferSize), a share's (SmbFileSystem's), and
    // the bigger of the two for a copy between them.
    static constexpr quint64 DeviceBlock = 1 << 20;
    static constexpr quint64 ShareBlock = 2 << 20;
    enum class Op { List, Copy, Write, Move, Delete, Disconnect };

    void addFile(const QString& path, const QByteArray& data, FileTime lastWrite = DefaultTime,
                 quint32 attributes = FileAttribute::Archive)
    {
        Lock lock(m_mutex); // a test may save a file again during a run
        addFolder(parentOf(path));
        // Every file saved is a new one, as a program that saves by replacing makes it.
        const quint64 size = data.size();
        m_nodes[key(path)] = {
            normal(path), data, {attributes, lastWrite, 0, lastWrite, size, 1, ++m_lastFileId, 0}};
        m_changed.notify_all();
    }
    // Files given as "PATH=DATA|PATH=DATA|...", each added as addFile adds it.
    void addFiles(const QString& list)
    {
        for (const QString& file : list.split(u'|'))
            addFile(file.section(u'=', 0, 0), file.section(u'=', 1).toUtf8());
    }
    void addFolder(const QString& path)
    {
        const QString folder = normal(path);
        if (folder.isEmpty() || m_nodes.contains(key(folder)))
            return;
        if (folder != "\\" && !(folder.startsWith("\\\\") && folder.count(u'\\') == 3))
            addFolder(parentOf(folder)); // up to the device's or the share's root
        m_nodes[key(folder)] = {folder, {}, {FileAttribute::Directory, 0, 0, DefaultTime, 0}};
        m_changed.notify_all();
    }
    // The size that listings give, without the bytes (a file of 5 GiB).
    void setSize(const QString& path, quint64 size) { m_nodes[key(path)].info.Size = size; }
    bool exists(const QString& path) const
    {
        return LockedCopy(m_mutex, m_nodes).contains(key(path));
    }
    QByteArray data(const QString& path) const
    {
        return LockedCopy(m_mutex, m_nodes).value(key(path)).data;
    }
    QStringList names(const QString& folder) const // sorted
    {
        QStringList names;
        for (const DirEntry& entry : children(folder))
            names.append(entry.Name);
        names.sort();
        return names;
    }
    // "copy S -> T", "move S -> T", "delete P", "list F", "connect NAME REMOTE",
    // "disconnect NAME", in the order they happened.
    QStringList journal() const { return LockedCopy(m_mutex, m_journal); }

    // The next operation of this kind on a path (either path of a copy or
    // move, a connection's name or remote name) that ends with pathEnd fails
    // with error (0: passes, as a block written before the one that fails).
    void failNext(Op op, const QString& pathEnd, int error)
    {
        m_faults.append({op, normal(pathEnd), error});
    }
    // Called after each block of every copy, on the copy's thread, with the
    // bytes the copy has moved.
    void setBlockHook(std::function<void(const QString& source, quint64 done)> hook)
    {
        m_blockHook = hook;
    }
    // Waits on this thread (a copy's as well), without running its events,
    // until the condition holds: every change of the files, the journal or
    // the connections has it looked at again.
    void waitUntil(const std::function<bool()>& condition) const
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, condition);
    }
    // A cut copy left a part of `bytes` for the next copy to the target,
    // which goes on from it as the real stores do when it is safe.
    void leavePart(const QString& target, quint64 bytes) { m_parts[key(target)] = bytes; }
    quint64 resumableBytes(const QString&, const FileInfo&, const QString& target) override
    {
        return LockedCopy(m_mutex, m_parts).value(key(target));
    }

    // Times written into the folder keep only multiples of ticks; 0: none.
    void setTimeResolution(const QString& folder, FileTime ticks) { m_ticks[key(folder)] = ticks; }
    void refuseConnection(const QString& remote, int error) { m_refusals[key(remote)] = error; }
    // The folder's listing also gives these names, as a hostile server
    // could; unusable: as files whose names cannot name them again (see
    // DirEntry::NameUnusable).
    void listAlso(const QString& folder, const QStringList& names, bool unusable = false)
    {
        for (const QString& name : names)
            m_extra[key(folder)].append({name, {}, unusable});
    }

    // How often one file was looked at on its own, outside a listing or a
    // copy: on a share, a round trip each.
    int lookups() const { return m_lookups; }

    bool canOpenForReading(const QString& path) override
    {
        ++m_lookups;
        return exists(path);
    }
    int readAttributes(const QString& path, FileInfo& info) override
    {
        Lock lock(m_mutex);
        ++m_lookups;
        const int error = find(path);
        info = error ? info : m_nodes.value(key(path)).info;
        return error;
    }
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override
    {
        Lock lock(m_mutex);
        const int error = takeFault(Op::List, folder);
        if (error || find(folder) || !m_nodes.value(key(folder)).info.isDirectory())
            return error ? error : PlatformError::PathNotFound;
        record("list " + normal(folder));
        const DirEntryList entries = children(folder) + m_extra.value(key(folder));
        std::all_of(entries.cbegin(), entries.cend(), visit); // until visit says stop
        return 0;
    }
    // As a real copy: the source is opened (a folder is refused) and checked
    // against the version it must be, a file bigger than one block that must
    // not replace its target is refused before its first block, then the
    // blocks move, and only then is the target put in place, which an
    // existing folder or read-only file refuses.
    CopyOutcome copy(const CopyRequest& request) override
    {
        const quint64 block = blockSize(request.source, request.target);
        std::unique_lock lock(m_mutex);
        const Node source = m_nodes.value(key(request.source));
        const int target = targetError(request.target);
        int error = sourceError(Op::Copy, request.source, request.target, request.copiedAs);
        if (!error)
            error = source.info.isDirectory()                          ? PlatformError::AccessDenied
                    : target != PlatformError::FileExists              ? target
                    : request.failIfExists && source.info.Size > block ? target
                                                                       : 0;
        if (error || request.stop.stop_requested())
            return CopyOutcome::failed(error ? error : PlatformError::Cancelled);
        const quint64 resumed = m_parts.take(key(request.target));
        lock.unlock();
        if (request.watcher)
            request.watcher->sourceOpened(source.info);
        if (resumed && request.watcher)
            request.watcher->resuming(resumed, source.info.Size);
        for (quint64 done = resumed; done < source.info.Size;) {
            if (request.stop.stop_requested())
                return CopyOutcome::failed(PlatformError::Cancelled);
            if (const int error = takeFault(Op::Write, request.target))
                return CopyOutcome::failed(error);
            done = std::min<quint64>(done + block, source.info.Size);
            if (request.watcher)
                request.watcher->blockCopied(done, source.info.Size);
            if (m_blockHook)
                m_blockHook(request.source, done);
        }
        lock.lock();
        error = SameVersion(m_nodes.value(key(request.source)).info, source.info)
                    ? replaceError(request.target, request.failIfExists)
                    : PlatformError::SourceChanged;
        if (error)
            return CopyOutcome::failed(error);
        const bool replaced = m_nodes.contains(key(request.target));
        Node& copied = m_nodes[key(request.target)];
        copied = {copied.path.isEmpty() ? normal(request.target) : copied.path, source.data,
                  source.info};
        copied.info.FileId = ++m_lastFileId;
        const FileTime ticks = m_ticks.value(key(parentOf(request.target)), MicrosecondTicks);
        // Where no time is kept, the file gets the server's time of day.
        copied.info.LastWriteTime =
            ticks ? source.info.LastWriteTime / ticks * ticks : DefaultTime + 864000000000ULL;
        record(QString("copy %1 -> %2").arg(normal(request.source), copied.path));
        return {0, source.info, replaced, std::nullopt, resumed};
    }
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override
    {
        Lock lock(m_mutex);
        const int error = sourceError(Op::Move, source, target, copiedAs);
        if (error || targetError(target))
            return error ? error : targetError(target);
        m_nodes[key(target)] = {normal(target), m_nodes.value(key(source)).data,
                                m_nodes.take(key(source)).info};
        record(QString("move %1 -> %2").arg(normal(source), normal(target)));
        return 0;
    }
    using FileSystem::deleteFile;
    // As on the device, neither a folder nor a read-only file is deleted as a file.
    int deleteFile(const QString& path, const FileInfo* copiedAs) override
    {
        Lock lock(m_mutex);
        int error = sourceError(Op::Delete, path, {}, copiedAs);
        const quint32 attributes = m_nodes.value(key(path)).info.Attributes;
        if (!error && (attributes & (FileAttribute::Directory | FileAttribute::ReadOnly)))
            error = PlatformError::AccessDenied;
        if (error)
            return error;
        m_nodes.remove(key(path));
        record("delete " + normal(path));
        return 0;
    }
    FileTime timeResolution(const QString& folder) override
    {
        return LockedCopy(m_mutex, m_ticks).value(key(folder), MicrosecondTicks);
    }

    int addConnection(const QString& name, const QString& remote, const QString&, const QString&,
                      bool) override
    {
        Lock lock(m_mutex);
        if (remote.split(u'\\', Qt::SkipEmptyParts).size() != 2)
            return PlatformError::InvalidParameter; // no server or no share
        if (const int refused = m_refusals.value(key(remote)))
            return refused;
        m_connections[name] = normal(remote);
        record(QString("connect %1 %2").arg(name, normal(remote)));
        return 0;
    }
    int getConnection(const QString& name, QString& remote) override
    {
        remote = LockedCopy(m_mutex, m_connections).value(name);
        return remote.isEmpty() ? PlatformError::NotConnected : 0;
    }
    // By its local name, or every connection to a share by the share's name.
    int cancelConnection(const QString& name, bool, bool) override
    {
        Lock lock(m_mutex);
        QStringList names;
        for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
            if (it.key() == name || (key(it.value()) == key(name) && !m_connections.contains(name)))
                names.append(it.key());
        }
        for (const QString& local : names) {
            if (const int busy = takeFault(Op::Disconnect, local, m_connections.value(local)))
                return busy;
        }
        for (const QString& local : names) {
            m_connections.remove(local);
            record("disconnect " + local);
        }
        return names.isEmpty() ? PlatformError::NotConnected : 0;
    }

private:
    struct Node
    {
        QString path; // as first written
        QByteArray data;
        FileInfo info;
    };
    using Lock = std::lock_guard<std::recursive_mutex>;
    static quint64 blockSize(const QString& source, const QString& target)
    {
        const auto share = [](const QString& path) { return normal(path).startsWith("\\\\"); };
        return share(source) || share(target) ? ShareBlock : DeviceBlock;
    }
    // Under the lock: a step in the journal, which wakes every waitUntil.
    void record(const QString& step)
    {
        m_journal.append(step);
        m_changed.notify_all();
    }
    static QString normal(QString path)
    {
        path.replace(u'/', u'\\');
        while (path.size() > 1 && path.endsWith(u'\\') && !path.endsWith("\\\\"))
            path.chop(1);
        return path;
    }
    static QString parentOf(const QString& path)
    {
        return normal(path).left(std::max<qsizetype>(normal(path).lastIndexOf(u'\\'), 1));
    }
    DirEntryList children(const QString& folder) const
    {
        DirEntryList entries;
        for (const Node& node : LockedCopy(m_mutex, m_nodes)) {
            if (key(parentOf(node.path)) == key(folder) && key(node.path) != key(folder))
                entries.append({node.path.mid(node.path.lastIndexOf(u'\\') + 1), node.info});
        }
        return entries;
    }
    static QString key(const QString& path)
    {
        return path.startsWith("\\\\") ? normal(path).toLower() : normal(path);
    }
    int takeFault(Op op, const QString& path, const QString& other = {})
    {
        Lock lock(m_mutex);
        for (qsizetype i = 0; i < m_faults.size(); ++i) {
            const auto& [faultOp, end, error] = m_faults[i];
            const auto hit = [&](const QString& p) {
                return normal(p).endsWith(end, Qt::CaseInsensitive);
            };
            if (faultOp == op && (hit(path) || hit(other)))
                return std::get<int>(m_faults.takeAt(i));
        }
        return 0;
    }
    // A missing file in a folder that is there, or a missing folder.
    int find(const QString& path) const
    {
        return m_nodes.contains(key(path))             ? 0
               : m_nodes.contains(key(parentOf(path))) ? PlatformError::FileNotFound
                                                       : PlatformError::PathNotFound;
    }
    int sourceError(Op op, const QString& path, const QString& other, const FileInfo* copiedAs)
    {
        const int error = takeFault(op, path, other);
        const bool same = !copiedAs || SameVersion(m_nodes.value(key(path)).info, *copiedAs);
        return error ? error : find(path) ? find(path) : same ? 0 : PlatformError::SourceChanged;
    }
    // 0 for a new target; FileExists for one that exists; or why not.
    int targetError(const QString& path) const
    {
        const int error = find(path);
        return error == PlatformError::FileNotFound ? 0 : error ? error : PlatformError::FileExists;
    }
    // Why a copy's target cannot take the copy's place now, as the real ones
    // find when they commit: a name that is taken when it must not be
    // replaced, or a folder or read-only file there.
    int replaceError(const QString& path, bool failIfExists) const
    {
        const int error = targetError(path);
        if (error != PlatformError::FileExists || failIfExists)
            return error;
        return m_nodes.value(key(path)).info.Attributes &
                       (FileAttribute::Directory | FileAttribute::ReadOnly)
                   ? PlatformError::AccessDenied
                   : 0;
    }

    mutable std::recursive_mutex m_mutex;
    mutable std::condition_variable_any m_changed; // see waitUntil
    QMap<QString, Node> m_nodes;                   // by key; folders have the Directory attribute
    QStringList m_journal;
    QList<std::tuple<Op, QString, int>> m_faults; // the path's end, the error
    std::function<void(const QString&, quint64)> m_blockHook;
    std::atomic<int> m_lookups{0};
    QHash<QString, FileTime> m_ticks;
    QHash<QString, int> m_refusals;
    QHash<QString, DirEntryList> m_extra; // listed beside the folder's files
    QMap<QString, QString> m_connections; // local name -> remote name
    QHash<QString, quint64> m_parts;      // left by cut copies, by target
    quint64 m_lastFileId = 0;
};

} // namespace tarvo::test
