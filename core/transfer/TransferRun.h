#pragma once

#include "config/Settings.h"
#include "core/transfer/PostOperations.h"
#include "core/transfer/RunMessages.h"
#include "core/transfer/RunProgress.h"
#include "core/transfer/SyncPlan.h"
#include "core/transfer/TransferObserver.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <QStringList>
#include <stop_token>

namespace tarvo {

class CopyWatcher;
struct CopyOutcome;
class RunProgress;
class FileSystem;
class MessageService;
class ShareConnections;

// One file of a Send: the session whose folder listed it, and its full path.
struct TransferEntry
{
    QString session;
    QString path;

    bool operator==(const TransferEntry&) const = default;
};
// The entries of one Send, in row order.
using TransferList = QList<TransferEntry>;

// What a run needs that does not change under it. The settings are a copy,
// taken after the session table has gained a line for every default session.
struct TransferParams
{
    Settings settings;
    TransferList entries;
    // The file-name patterns that chose the entries, on the command line;
    // a Sync session then mirrors only what they match, and leaves the other
    // target files alone. Empty: every file (the window's Send).
    QStringList namePatterns;
    // The entries' sizes as the list showed them, in entry order, so that
    // the bar can weigh each file by its bytes; without them every file
    // weighs the same.
    QList<quint64> sizes;
    // Files that were to go but could not even be listed by a name (see
    // DirEntry::NameUnusable): each counts in the total as not sent.
    int unsendable = 0;
    // Nothing is changed: the run goes over a DryRunFileSystem of the
    // files, and tells every action as planned.
    bool dryRun = false;
};

// Where a run reaches the outside world.
struct TransferServices
{
    FileSystem& files;
    ShareConnections& connections;
    MessageService& messages;
    TransferObserver& observer;
    CopyWatcher* copyWatcher = nullptr; // follows every copy of the run, when given
    std::stop_token stop{};             // stops the run between files and blocks
    RunProgress* progress = nullptr;    // counts the bytes, when the caller looks at them
};

// One transfer: the shares of every default session that carries entries
// connected first (each share that cannot be is told once per server and
// cause), then every such session in list order, its entries copied into its
// target folder (or mirrored, for Sync) with a post-operation after each
// copy, and the summary at the end.
//
//   TransferList --> RunTransfer --> connect the sessions' shares
//                                    per session:
//                                      connect again (but the first)
//                                      TransferSessionFiles | SyncSessionFiles
//                                        ShowFileInfo --> observer
//                                        copy, ApplyPostOperation / NeedsSyncCopy
//                                      DisconnectShare
//                    --> summary --> observer
//
// A stop (Cancel, Ctrl-C) ends it at once: the copy under way is given up,
// nothing starts after it, no post-operation acts and nothing more is asked.
// Copies that had ended before the stop count as sent; their sources stay
// where they were.
class TransferRun
{
public:
    TransferRun(TransferParams params, TransferServices services);

    // Runs the whole transfer; the number of files transferred successfully.
    int RunTransfer();

    int TransferSessionFiles(const Session& session);
    int SyncSessionFiles(const Session& session);

    int total() const { return int(m_params.entries.size()) + m_params.unsendable; }
    // How the run stands; callable from any thread while it runs, so that a
    // caller that no longer waits for a run held up by a server that stopped
    // answering can still say what it did. After the run: how it ended.
    RunSummary summary() const;

private:
    struct RunSession
    {
        Session session;
        bool connected = true;
    };
    // The default sessions that carry entries, each once, in list order.
    QList<RunSession> sessionsOfRun() const;
    // Connects the sessions' shares, then runs each session in turn; the
    // index of the first session that a stop kept from its turn.
    qsizetype transferSessions(QList<RunSession>& sessions);
    void connectShares(QList<RunSession>& sessions);
    // Connects the session's share again; false (and told) when it cannot be.
    bool reconnect(const Session& session);

    // How finely a Sync target folder keeps last-write times, learnt from it
    // the first time a decision needs it; a folder that keeps none is said
    // once a run.
    struct SyncFolderTimes
    {
        QString folder;
        std::optional<FileTime> known;
        FileTime resolution(TransferRun& run);
    };
    // Deletes what the plan drops; a file that cannot go stays, silently.
    void PruneSyncTarget(const QString& session, const SyncPlan& plan);
    // The target of a folder that could not be listed, as a look at it finds it.
    std::optional<SyncTarget> lookAt(const QString& target);
    // Whether Sync copies the source onto its target; asks when they look the
    // same and the remembered answer does not decide.
    bool NeedsSyncCopy(const ReplaceFile& source, bool sourceRead,
                       const std::optional<SyncTarget>& target, SyncFolderTimes& times,
                       int& remembered);
    void releaseShares(const QList<RunSession>& sessions);

    // Shows the file and moves the bar to its starting position. Fills in the
    // source's attributes, `opened` when its copy gave them, else as read
    // now; false (and zeros) when they cannot be read.
    bool ShowFileInfo(int index, const QString& session, const QString& sourcePath,
                      const QString& targetFolder, FileInfo& info,
                      const std::optional<FileInfo>& opened = std::nullopt);
    bool copyReplacing(int index, const QString& session, const QString& source,
                       const QString& target);
    // Tells the observer what was done to a file, and counts it.
    void act(RunAction action);
    // The action of a copy that has ended: a copy or a replace, done, failed
    // or cancelled.
    void actOnCopy(const QString& session, const QString& source, const QString& target,
                   const CopyOutcome& outcome);
    // After a stop: a copy that had ended well counts as sent, its
    // post-operation left undone.
    void finishAfterStop(int index, const Session& session, const QString& source,
                         const QString& target, const CopyOutcome& outcome);
    // True for a copy that succeeded; the message, with its reason, for one
    // that failed.
    bool reportCopy(int result, const QString& source, const QString& target);
    void applyPostOperation(const QString& session, const QString& source,
                            const QString& postTarget, PostOperation postOp,
                            const FileInfo& copiedAs);
    // Counts an entry that is refused without touching any file.
    void skipEntry(int index);
    // The run is done with the entry, however it ended.
    void finishEntry(int index);
    // The run was cancelled: no more files start.
    bool stopped() const { return m_services.stop.stop_requested(); }

    // What summary() reads from other threads: changed under m_stateMutex.
    struct State
    {
        int succeeded = 0;
        bool ended = false; // every session had its turn
        int unreachable = 0;
        int postOperationsNotRun = 0;
        QString cutFile;     // a copy given up at a stop
        QString copying;     // the copy the run waits for now
        bool filing = false; // a post-operation (and its question) under way
        QString failure;     // what broke the run off
        RunSummary actions;  // the counts of what was pruned, kept and filed
    };
    template <typename Change> void update(Change&& change)
    {
        std::lock_guard lock(m_stateMutex);
        change(m_state);
    }

    TransferParams m_params;
    std::unique_ptr<FileSystem> m_dryRunFiles; // for a dry run
    TransferServices m_services;
    RunMessages m_messages; // nothing is said or asked after a stop
    PostOperations m_post;
    std::unique_ptr<RunProgress> m_ownProgress; // when the caller gives none
    RunProgress* m_progress;
    bool m_timelessSaid = false;
    int m_processed = 0; // files shown so far, for "Transferring file %d of %d"
    mutable std::mutex m_stateMutex;
    State m_state;
};

} // namespace tarvo
