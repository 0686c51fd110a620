#pragma once

#include "config/Settings.h"
#include "core/transfer/PostOperations.h"
#include "core/transfer/RunProgress.h"
#include "core/transfer/TransferObserver.h"
#include "platform/CancelToken.h"

#include <memory>
#include <QStringList>

namespace tarvo {

class CopyWatcher;
struct CopyOutcome;
class RunProgress;
class FileSystem;
class MessageService;
class ShareConnections;

// The entries of one Send: "session,full path of a source file", in row order.
using TransferList = QStringList;

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
};

// Where a run reaches the outside world.
struct TransferServices
{
    FileSystem& files;
    ShareConnections& connections;
    MessageService& messages;
    TransferObserver& observer;
    CopyWatcher* copyWatcher = nullptr; // follows every copy of the run, when given
    CancelToken cancel{};               // stops the run between files and blocks
    RunProgress* progress = nullptr;    // counts the bytes, when the caller looks at them
};

// One transfer: every default session in list order, each session's entries
// copied into its target folder (or mirrored, for Sync), a post-operation
// after each copy, and the summary at the end.
//
//   TransferList --> RunTransfer --> per session: connect (Put)
//                                      TransferSessionFiles | SyncSessionFiles
//                                        ShowFileInfo --> observer
//                                        copy, ApplyPostOperation / NeedsSyncCopy
//                                      DisconnectShare
//                    --> summary --> observer
class TransferRun
{
public:
    TransferRun(TransferParams params, TransferServices services);

    // Runs the whole transfer; the number of files transferred successfully.
    int RunTransfer();

    int TransferSessionFiles(const QString& name, const QString& line, int postOp);
    int SyncSessionFiles(const QString& name, const QString& line);

    int total() const { return int(m_params.entries.size()); }
    int processed() const { return m_processed; }
    int succeeded() const { return m_succeeded; }
    RunSummary summary() const;

private:
    // The entry's source path when it belongs to the session.
    bool entryOfSession(const QString& entry, const QString& name, QString& sourcePath) const;
    // Shows the file and moves the bar to its starting position. Fills in the
    // source's attributes; false (and zeros) when they cannot be read.
    bool ShowFileInfo(int index, const QString& sourcePath, const QString& targetFolder,
                      FileInfo& info);
    bool copyReplacing(int index, const QString& source, const QString& target);
    // After a stop: a copy that ran ahead and ended well counts as sent.
    void finishCopiedAhead(int index, const CopyOutcome& outcome, const QString& source,
                           const QString& targetFolder, const QString& postFolder, int postOp);
    // True for a copy that succeeded; the message, with its reason, for one
    // that failed.
    bool reportCopy(int result, const QString& source, const QString& target);
    // Counts an entry that is refused without touching any file.
    void skipEntry(int index);
    // The run is done with the entry, however it ended.
    void finishEntry(int index);
    // The run was cancelled: no more files start.
    bool stopped() const { return m_services.cancel.cancelled(); }
    void setPosition();

    TransferParams m_params;
    TransferServices m_services;
    PostOperations m_post;
    std::unique_ptr<RunProgress> m_ownProgress; // when the caller gives none
    RunProgress* m_progress;
    int m_processed = 0;
    int m_succeeded = 0;
    int m_unreachable = 0;
    int m_finished = 0;  // entries the run is done with, however they ended
    int m_abandoned = 0; // copies cut off by a stop
};

} // namespace tarvo
