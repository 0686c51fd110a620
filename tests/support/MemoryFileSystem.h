#pragma once

#include "platform/FileSystem.h"
#include "platform/ShareConnections.h"

#include <functional>
#include <mutex>
#include <QDeadlineTimer>
#include <QHash>
#include <QMap>
#include <QStringList>
#include <thread>

namespace tarvo::test {

// Files, folders and share connections in memory, for tests of what the
// program decides. It keeps the contract of the real file systems (a copy
// keeps the source's time and puts the target in place only whole and
// unchanged; a move or delete checks the version it is given) and records
// each change, listing and connection in a journal. Device paths
// ("\Docs\a.txt") are compared as written, share paths ("\\pc\share\a.txt")
// regardless of case.
//
// The files, faults and times are set up before a run; the run's copies may
// then use it from several threads. A run copies a few files at once, so a
// fault that counts (failNext of a copy, failWrite) is certain only for the
// first file.
class MemoryFileSystem : public FileSystem, public ShareConnections
{
public:
    static constexpr FileTime DefaultTime = 133000000000000000; // 2022-06-18 04:26:40 UTC
    enum class Op { List, Copy, Move, Delete, Disconnect };

    void addFile(const QString& path, const QByteArray& data, FileTime lastWrite = DefaultTime,
                 quint32 attributes = FileAttribute::Archive);
    void addFolder(const QString& path);
    // The size that listings give, without the bytes (a file of 5 GiB).
    void setSize(const QString& path, quint64 size) { m_nodes[key(path)].info.Size = size; }
    bool exists(const QString& path) const;
    QByteArray data(const QString& path) const;
    QStringList names(const QString& folder) const; // sorted
    // "copy S -> T", "move S -> T", "delete P", "list F", "connect NAME REMOTE",
    // "disconnect NAME", in the order they happened.
    QStringList journal() const;

    // The next operation of this kind on a path (either path of a copy or
    // move, a connection's name or remote name) that ends with pathEnd fails.
    void failNext(Op op, const QString& pathEnd, int error)
    {
        m_faults.append({op, pathEnd, error});
    }
    // The Nth block written from now on (1: the next) fails.
    void failWrite(int nth, int error) { m_writesLeft = nth, m_writeError = error; }
    // After the first block of its copy, someone saves the file again.
    void changeDuringCopy(const QString& path, const QByteArray& data, FileTime lastWrite)
    {
        m_changes[key(path)] = {path, data, {0, lastWrite, 0, lastWrite, quint64(data.size())}};
    }
    // Called after each block of every copy, on the copy's thread.
    void setBlockHook(std::function<void(const QString& source)> hook) { m_blockHook = hook; }
    // Times written into the folder keep only multiples of ticks; 0: none.
    void setTimeResolution(const QString& folder, FileTime ticks) { m_ticks[key(folder)] = ticks; }
    void refuseConnection(const QString& remote, int error) { m_refusals[key(remote)] = error; }

    bool canOpenForReading(const QString& path) override { return exists(path); }
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;
    FileTime timeResolution(const QString& folder) override;

    int addConnection(const QString& localName, const QString& remoteName, const QString&,
                      const QString&, bool) override;
    int getConnection(const QString& localName, QString& remoteName) override;
    int cancelConnection(const QString& name, bool, bool) override;

private:
    struct Node
    {
        QString path; // as first written
        QByteArray data;
        FileInfo info;
    };
    struct Fault
    {
        Op op;
        QString pathEnd;
        int error;
    };

    static QString key(const QString& path);
    int takeFault(Op op, const QString& path, const QString& other = {});
    // 0 and the node of the path, or the error and null.
    int find(const QString& path, const Node*& node) const;
    // 0, or why the source of a copy, move or delete cannot be used.
    int sourceError(Op op, const QString& path, const QString& other, const FileInfo* copiedAs);
    // 0 for a new target; FileExists for one that exists; or why not.
    int targetError(const QString& path) const;

    using Lock = std::lock_guard<std::recursive_mutex>;
    mutable std::recursive_mutex m_mutex;
    QMap<QString, Node> m_nodes; // by key; folders have the Directory attribute
    QStringList m_journal;
    QList<Fault> m_faults;
    int m_writesLeft = 0;
    int m_writeError = 0;
    QHash<QString, Node> m_changes;
    std::function<void(const QString&)> m_blockHook;
    QHash<QString, FileTime> m_ticks;
    QHash<QString, int> m_refusals;
    QMap<QString, QString> m_connections; // local name -> remote name
};

// Waits on this thread, without running its events, until the condition
// holds; false when it still does not after ten seconds.
inline bool Await(const std::function<bool()>& condition)
{
    const QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        std::this_thread::yield();
    return condition();
}

} // namespace tarvo::test
