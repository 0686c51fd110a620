#pragma once

#include "platform/FileSystem.h"
#include "platform/ShareConnections.h"

#include <functional>
#include <map>
#include <mutex>
#include <QByteArray>
#include <QStringList>

namespace tarvo::test {

// Files, folders and share connections in memory, for tests of what the
// program decides: which files it copies, replaces, keeps, prunes, moves and
// deletes, in which order, and what it reports. It keeps the contract of the
// real file systems (a copy keeps the source's last-write time, writes a part
// and puts it in place only whole and unchanged, checks the version a move or
// delete is given) and records every operation in a journal.
//
// Faults are told in advance: fail the next operation of a kind on a path,
// fail the Nth block written, refuse a connection, or change a file while it
// is being copied. Safe to use from the threads of a run's copies.
//
// Paths are the program's own: device paths ("\Docs\a.txt") are compared as
// they are written, network paths ("\\server\share\a.txt") regardless of case.
class MemoryFileSystem : public FileSystem, public ShareConnections
{
public:
    static constexpr qsizetype BlockSize = 64 * 1024;
    static constexpr FileTime DefaultTime = 133000000000000000; // 2022-06-18

    enum class Op { Attributes, List, Copy, Move, Delete, Connect };

    // --- What is there ---
    void addFile(const QString& path, const QByteArray& data, FileTime lastWrite = DefaultTime,
                 quint32 attributes = FileAttribute::Archive);
    void addFolder(const QString& path);
    void remove(const QString& path);
    bool exists(const QString& path) const;
    QByteArray data(const QString& path) const;
    FileInfo info(const QString& path) const;
    // The names in a folder, sorted; the program's part files included.
    QStringList names(const QString& folder) const;

    // --- What happened ---
    // One line per change or read: "copy SOURCE -> TARGET", "move A -> B",
    // "delete P", "list F", "connect NAME REMOTE", "disconnect NAME".
    QStringList journal() const;
    void clearJournal();

    // --- Faults ---
    // The next operation of this kind whose path (for a copy or move: the
    // source or the target) ends with `pathEnd` fails with `error`.
    void failNext(Op op, const QString& pathEnd, int error);
    // The Nth block written by any copy from now on (1 for the next) fails.
    void failWrite(int nth, int error);
    // Once the copy of `path` has moved its first block, the file gets these
    // bytes and this last-write time, as if someone saved it meanwhile.
    void changeDuringCopy(const QString& path, const QByteArray& data, FileTime lastWrite);
    // Called after each block of every copy, outside the lock: a test may
    // pause there, or cancel the run.
    void setBlockHook(std::function<void(const QString& source, quint64 done)> hook);
    // Last-write times in folders under this prefix keep only multiples of
    // `ticks` (2 s on FAT); 0: the times given are not kept at all.
    void setTimeResolution(const QString& folderPrefix, FileTime ticks);
    void refuseConnection(const QString& remoteName, int error);

    // --- FileSystem ---
    bool canOpenForReading(const QString& path) override;
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;
    FileTime timeResolution(const QString& folder) override;

    // --- ShareConnections ---
    int addConnection(const QString& localName, const QString& remoteName, const QString& userName,
                      const QString& password, bool remember) override;
    int getConnection(const QString& localName, QString& remoteName) override;
    int cancelConnection(const QString& name, bool remember, bool force) override;

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
    struct Change
    {
        QByteArray data;
        FileTime lastWrite;
    };

    static QString key(const QString& path);
    static QString parentOf(const QString& path);
    // The error of the first fault told for this operation and path (which
    // is then used up); 0 when none was told.
    int takeFault(Op op, const QString& path, const QString& other = {});
    FileTime resolutionLocked(const QString& folder) const;
    int writeBlockLocked();
    FileTime keptTimeLocked(const QString& folder, FileTime time) const;
    void log(const QString& line) { m_journal.append(line); }

    mutable std::recursive_mutex m_mutex;
    std::map<QString, Node> m_nodes; // by key; folders carry the Directory attribute
    QStringList m_journal;
    QList<Fault> m_faults;
    int m_writesUntilFailure = 0;
    int m_writeError = 0;
    std::map<QString, Change> m_changes;
    std::function<void(const QString&, quint64)> m_blockHook;
    std::map<QString, FileTime> m_resolutions;
    std::map<QString, int> m_refusals;
    std::map<QString, QString> m_connections; // local name -> remote name
};

} // namespace tarvo::test
