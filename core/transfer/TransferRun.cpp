#include "core/transfer/TransferRun.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/copy/CopyAhead.h"
#include "core/filelist/FileListTexts.h"
#include "core/shares/ShareConnector.h"
#include "core/shares/ShareFailures.h"
#include "core/transfer/DryRunFileSystem.h"
#include "core/transfer/ProgressTexts.h"
#include "core/transfer/SyncPlan.h"
#include "core/transfer/TargetNames.h"
#include "core/transfer/TransferObserver.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"
#include "platform/FileSystem.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <QSet>

namespace tarvo {

QString RunSummary::text() const
{
    return QStringLiteral("%1 of %2 files are transferred successfully").arg(succeeded).arg(total);
}

QString RunSummary::postOperationsText() const
{
    if (failedPostOperations == 0)
        return {};
    return failedPostOperations == 1
               ? QStringLiteral("1 post-operation failed")
               : QStringLiteral("%1 post-operations failed").arg(failedPostOperations);
}

QString RunSummary::cancelledText() const
{
    if (!cancelled)
        return {};
    if (cutFile.isEmpty())
        return QStringLiteral("The run was cancelled; the files after it were not started.");
    return QStringLiteral("The run was cancelled during the copy of %1: that file was not sent, "
                          "and the files after it were not started.")
        .arg(cutFile);
}

QString RunSummary::postOperationsNotRunText() const
{
    if (postOperationsNotRun == 0)
        return {};
    return postOperationsNotRun == 1
               ? QStringLiteral("The post-operation of 1 file that was sent did not run: its "
                                "source stays where it was.")
               : QStringLiteral("The post-operations of %1 files that were sent did not run: "
                                "their sources stay where they were.")
                     .arg(postOperationsNotRun);
}

QString RunSummary::failureText() const
{
    return failure.isEmpty() ? QString() : QStringLiteral("The run broke off: %1").arg(failure);
}

QStringList RunSummary::actionsTexts() const
{
    const auto count = [](int n, const char* one, const char* many) {
        if (n == 0)
            return QString();
        return n == 1 ? QString::fromUtf8(one) : QString::fromUtf8(many).arg(n);
    };
    QStringList texts{
        count(pruned, "Sync deleted 1 file of the target folder that was not sent.",
              "Sync deleted %1 files of the target folder that were not sent."),
        count(pruneFailures, "Sync could not delete 1 file of the target folder that was not sent.",
              "Sync could not delete %1 files of the target folder that were not sent."),
        count(kept, "Sync kept 1 target file that looked the same as its source.",
              "Sync kept %1 target files that looked the same as their sources."),
        count(postCopied, "1 source was copied into the post folder.",
              "%1 sources were copied into the post folder."),
        count(postMoved, "1 source was moved into the post folder.",
              "%1 sources were moved into the post folder."),
        count(postDeleted, "1 source was deleted after its copy.",
              "%1 sources were deleted after their copies."),
    };
    texts.removeAll(QString());
    return texts;
}

QStringList RunSummary::lines() const
{
    QStringList all{text(), postOperationsText()};
    all += actionsTexts();
    all += {cancelledText(), postOperationsNotRunText(), failureText()};
    all.removeAll(QString());
    return all;
}

namespace {

TransferServices WithFiles(const TransferServices& services, FileSystem& files)
{
    return {files,
            services.connections,
            services.messages,
            services.observer,
            services.copyWatcher,
            services.stop,
            services.progress};
}

} // namespace

TransferRun::TransferRun(TransferParams params, TransferServices services)
    : m_params(std::move(params))
    , m_dryRunFiles(m_params.dryRun ? std::make_unique<DryRunFileSystem>(services.files) : nullptr)
    , m_services(WithFiles(services, m_dryRunFiles ? *m_dryRunFiles : services.files))
    , m_messages(services.messages, services.stop)
    , m_post(m_services.files, m_messages, services.stop)
    , m_ownProgress(services.progress ? nullptr
                                      : std::make_unique<RunProgress>(int(m_params.entries.size()),
                                                                      m_params.sizes))
    , m_progress(services.progress ? services.progress : m_ownProgress.get())
{}

RunSummary TransferRun::summary() const
{
    std::lock_guard lock(m_stateMutex);
    RunSummary summary;
    summary.succeeded = m_state.succeeded;
    summary.total = total();
    summary.failedPostOperations = m_post.failures();
    summary.unreachableSessions = m_state.unreachable;
    summary.postOperationsNotRun = m_state.postOperationsNotRun;
    summary.cutFile = m_state.cutFile;
    summary.failure = m_state.failure;
    summary.pruned = m_state.actions.pruned;
    summary.pruneFailures = m_state.actions.pruneFailures;
    summary.kept = m_state.actions.kept;
    summary.postCopied = m_state.actions.postCopied;
    summary.postMoved = m_state.actions.postMoved;
    summary.postDeleted = m_state.actions.postDeleted;
    if (stopped()) {
        // Asked while the run still waits, for a server that may never answer.
        if (!m_state.copying.isEmpty())
            summary.cutFile = m_state.copying;
        if (m_state.filing)
            ++summary.postOperationsNotRun;
    }
    // A stop that came after the last file had ended stopped nothing.
    summary.cancelled = stopped() && (!m_state.ended || !summary.cutFile.isEmpty() ||
                                      summary.postOperationsNotRun > 0);
    return summary;
}

QList<TransferRun::RunSession> TransferRun::sessionsOfRun() const
{
    QList<RunSession> sessions;
    QSet<QString> seen;
    for (const QString& name : m_params.settings.DefaultSession) {
        // A session listed twice is one session: its files go once.
        if (seen.contains(name))
            continue;
        seen.insert(name);
        // A session of which nothing was chosen has nothing to do in the
        // run: it is not connected, and its share cannot fail the run.
        const bool hasEntries =
            std::any_of(m_params.entries.cbegin(), m_params.entries.cend(),
                        [&](const TransferEntry& entry) { return entry.session == name; });
        if (hasEntries)
            sessions.append({m_params.settings.Sessions.session(name)});
    }
    return sessions;
}

void TransferRun::connectShares(QList<RunSession>& sessions)
{
    // A Get session is connected as well: its files are read from the share.
    // An Ftp session has no share to connect.
    WaitCursor wait(m_messages);
    ShareFailures failures;
    for (RunSession& run : sessions) {
        if (!stopped() && run.session.transfers())
            run.connected = ConnectSessionShare(run.session, m_services.connections, failures) == 0;
    }
    update([&](State& state) { state.unreachable = failures.count(); });
    failures.report(m_messages);
}

void TransferRun::releaseShares(const QList<RunSession>& sessions)
{
    for (const RunSession& run : sessions) {
        if (run.session.isNet())
            DisconnectShare(run.session.net, m_services.connections);
    }
}

int TransferRun::RunTransfer()
{
    m_processed = 0;
    update([](State& state) { state = State(); });
    m_services.files.runStarts();
    QList<RunSession> sessions;
    qsizetype next = 0;
    try {
        sessions = sessionsOfRun();
        next = transferSessions(sessions);
    } catch (const std::exception& error) {
        // Whatever broke the run (no memory left, say) is said, and the run
        // ends as one that failed, its summary counting what it did.
        update([&](State& state) { state.failure = QString::fromLocal8Bit(error.what()); });
    }
    // The summary stands before the shares of the sessions that a stop kept
    // from their turn are let go: releasing a share of a server that stopped
    // answering may take a while.
    const RunSummary result = summary();
    releaseShares(sessions.mid(next));
    m_services.observer.runFinished(result);
    return result.succeeded;
}

qsizetype TransferRun::transferSessions(QList<RunSession>& sessions)
{
    connectShares(sessions);
    qsizetype next = 0;
    for (bool first = true; next < sessions.size() && !stopped(); ++next) {
        const RunSession& run = sessions.at(next);
        const Session& session = run.session;
        // An Ftp session has no transfer of its own: its entries stay
        // unprocessed, like those of a share that could not be connected.
        if (!run.connected || !session.isNet())
            continue;
        // Connected again right before its files, but for the first: an
        // earlier session may have released the share (releasing a share
        // ends every connection to it), or the server dropped an idle one.
        if (!std::exchange(first, false) && !reconnect(session)) {
            releaseShares({run});
            continue;
        }
        if (session.net.PostOp == PostOperation::Sync)
            SyncSessionFiles(session);
        else
            TransferSessionFiles(session);
        releaseShares({run});
    }
    update([&](State& state) { state.ended = next == sessions.size(); });
    return next;
}

bool TransferRun::reconnect(const Session& session)
{
    if (!session.transfers())
        return true;
    WaitCursor wait(m_messages);
    ShareFailures failures;
    if (ConnectSessionShare(session, m_services.connections, failures) == 0)
        return true;
    update([](State& state) { ++state.unreachable; });
    failures.report(m_messages);
    return false;
}

int TransferRun::TransferSessionFiles(const Session& session)
{
    const PostOperation postOp = session.net.PostOp;
    const QString targetFolder = SessionTargetFolder(session);
    const QString postFolder = SessionPostFolder(session);

    // The session's files in entry order, each with the reason it may not be
    // copied (none for most). The copies run ahead of the file being shown,
    // a few at once; their results are taken in order, so messages and
    // post-operations come exactly as if they ran one after another.
    struct Planned
    {
        int index;
        QString source;
        QString refusal;
    };
    QList<Planned> planned;
    QList<CopyRequest> copies;
    TargetNames names(m_messages);
    for (int index = 0; index < m_params.entries.size(); ++index) {
        const TransferEntry& entry = m_params.entries.at(index);
        if (entry.session != session.name)
            continue;
        const QString& source = entry.path;
        QString refusal = names.refusal(source);
        if (refusal.isEmpty())
            copies.append({source, targetFolder + SplitPath(source).fileName, false, nullptr,
                           m_progress->watcher(index, m_services.copyWatcher), m_services.stop});
        planned.append({index, source, std::move(refusal)});
    }
    CopyAhead ahead(m_services.files, std::move(copies));

    for (const Planned& file : std::as_const(planned)) {
        if (stopped()) {
            // The copies ahead that ended before the stop put their files in
            // place and count as sent, their sources left as they are; the
            // others end as cancelled, their parts removed, unreported.
            if (file.refusal.isEmpty())
                finishAfterStop(file.index, session, file.source,
                                targetFolder + SplitPath(file.source).fileName,
                                ahead.takeNext(m_services.stop));
            continue;
        }
        if (!file.refusal.isEmpty()) {
            m_messages.showMessage(file.refusal, MessageIcon::Error, MessageButtons::Ok);
            act({RunAction::Kind::Copy,
                 RunAction::Result::Failed,
                 session.name,
                 file.source,
                 targetFolder + SplitPath(file.source).fileName,
                 0,
                 {},
                 file.refusal});
            skipEntry(file.index);
            continue;
        }
        const QString& source = file.source;
        const QString fileName = SplitPath(source).fileName;
        // The copy looks at its source as it opens it; a second look from
        // here would cost a share a round trip per file, one file after another.
        FileInfo sourceInfo;
        ShowFileInfo(file.index, session.name, source, targetFolder, sourceInfo,
                     ahead.nextSource(m_services.stop));
        const QString target = targetFolder + fileName;
        ++m_processed;
        {
            WaitCursor wait(m_messages);
            update([&](State& state) { state.copying = source; });
            const CopyOutcome outcome = ahead.takeNext(m_services.stop);
            update([](State& state) { state.copying.clear(); });
            const bool copied = reportCopy(outcome.error, source, target);
            actOnCopy(session.name, source, target, outcome);
            // After a failed copy the source stays where it is: deleting it
            // would lose its only copy, and filing it in the post folder
            // (moved or copied) would file it as sent. After a good one, the
            // post-operation acts only on the version of the source that was sent.
            if (copied)
                applyPostOperation(session.name, source, postFolder + fileName, postOp,
                                   outcome.source);
        }
        finishEntry(file.index);
    }
    return summary().succeeded;
}

namespace {

// The action of a post-operation, or none for a session without one.
std::optional<RunAction::Kind> PostActionKind(PostOperation postOp)
{
    switch (postOp) {
    case PostOperation::Copy:
        return RunAction::Kind::PostCopy;
    case PostOperation::Move:
        return RunAction::Kind::PostMove;
    case PostOperation::Del:
        return RunAction::Kind::PostDelete;
    default:
        return std::nullopt;
    }
}

} // namespace

void TransferRun::applyPostOperation(const QString& session, const QString& source,
                                     const QString& postTarget, PostOperation postOp,
                                     const FileInfo& copiedAs)
{
    update([](State& state) {
        ++state.succeeded;
        state.filing = true;
    });
    const PostOutcome result = m_post.ApplyPostOperation(source, postTarget, postOp, &copiedAs);
    update([&](State& state) {
        state.filing = false;
        if (result.error == PlatformError::Cancelled && PostActionKind(postOp))
            ++state.postOperationsNotRun;
    });
    const std::optional<RunAction::Kind> kind = PostActionKind(postOp);
    if (!kind)
        return;
    RunAction action(*kind, RunAction::Result::Done, session, source,
                     *kind == RunAction::Kind::PostDelete ? source : postTarget, copiedAs.Size,
                     copiedAs.LastWriteTime);
    if (result.declined) {
        action.result = RunAction::Result::Declined;
    } else if (result.error == PlatformError::Cancelled) {
        action.result = RunAction::Result::Cancelled;
    } else if (result.error) {
        action.result = RunAction::Result::Failed;
        action.reason = ErrorReason(result.error);
    }
    act(std::move(action));
}

void TransferRun::finishAfterStop(int index, const Session& session, const QString& source,
                                  const QString& target, const CopyOutcome& outcome)
{
    actOnCopy(session.name, source, target, outcome);
    if (outcome.error) {
        // The first copy that the stop cut off is the one it came in: the
        // copies run in list order, and those after it never started.
        update([&](State& state) {
            if (state.cutFile.isEmpty() && outcome.error == PlatformError::Cancelled)
                state.cutFile = source;
        });
        return;
    }
    const std::optional<RunAction::Kind> post = PostActionKind(session.net.PostOp);
    update([&](State& state) {
        ++state.succeeded;
        if (post)
            ++state.postOperationsNotRun;
    });
    if (post)
        act({*post, RunAction::Result::Cancelled, session.name, source,
             *post == RunAction::Kind::PostDelete
                 ? source
                 : SessionPostFolder(session) + SplitPath(source).fileName,
             outcome.source.Size, outcome.source.LastWriteTime});
    finishEntry(index);
}

void TransferRun::act(RunAction action)
{
    if (m_params.dryRun && action.result == RunAction::Result::Done)
        action.result = RunAction::Result::Planned;
    const bool done =
        action.result == RunAction::Result::Done || action.result == RunAction::Result::Planned;
    update([&](State& state) {
        RunSummary& counts = state.actions;
        switch (action.kind) {
        case RunAction::Kind::Prune:
            ++(done ? counts.pruned : counts.pruneFailures);
            break;
        case RunAction::Kind::Keep:
            counts.kept += done;
            break;
        case RunAction::Kind::PostCopy:
            counts.postCopied += done;
            break;
        case RunAction::Kind::PostMove:
            counts.postMoved += done;
            break;
        case RunAction::Kind::PostDelete:
            counts.postDeleted += done;
            break;
        case RunAction::Kind::Copy:
        case RunAction::Kind::Replace:
        case RunAction::Kind::Resume:
            break;
        }
    });
    m_services.observer.actionDone(action);
}

void TransferRun::actOnCopy(const QString& session, const QString& source, const QString& target,
                            const CopyOutcome& outcome)
{
    RunAction action{outcome.replaced ? RunAction::Kind::Replace : RunAction::Kind::Copy,
                     RunAction::Result::Done, session, source, target};
    action.resumedFrom = outcome.resumedFrom;
    if (outcome.error == 0) {
        action.bytes = outcome.source.Size;
        action.sourceTime = outcome.source.LastWriteTime;
        action.targetTime = outcome.replacedTime;
        if (outcome.resumedFrom > 0) {
            // The plan says which copies would go on from a cut copy's part;
            // the record, how much of a copy came from one.
            if (m_params.dryRun)
                action.kind = RunAction::Kind::Resume;
            action.reason = ResumedText(outcome.resumedFrom, outcome.source.Size);
        }
    } else if (outcome.error == PlatformError::Cancelled || stopped()) {
        action.result = RunAction::Result::Cancelled;
    } else {
        action.result = RunAction::Result::Failed;
        action.reason = ErrorReason(outcome.error);
    }
    act(std::move(action));
}

int TransferRun::SyncSessionFiles(const Session& session)
{
    int remembered = m_params.settings.DefaultChoice;
    const QString targetFolder = SessionTargetFolder(session);
    QStringList carried;
    for (const TransferEntry& entry : std::as_const(m_params.entries)) {
        if (entry.session == session.name)
            carried.append(SplitPath(entry.path).fileName);
    }

    std::optional<SyncPlan> plan;
    {
        WaitCursor wait(m_messages);
        plan.emplace(targetFolder, ListFolderFiles(m_services.files, targetFolder), carried,
                     m_params.namePatterns);
        if (const QString probe = plan->caseProbe(); !probe.isEmpty()) {
            // Whether the folder finds the file by that name tells how it
            // compares names.
            FileInfo found;
            const int error = m_services.files.readAttributes(targetFolder + probe, found);
            plan->setIgnoresCase(error != PlatformError::FileNotFound &&
                                 error != PlatformError::PathNotFound);
        }
    }
    if (stopped())
        return summary().succeeded;
    PruneSyncTarget(session.name, *plan);

    SyncFolderTimes times{targetFolder, {}};
    TargetNames names(m_messages);
    for (int index = 0; index < m_params.entries.size() && !stopped(); ++index) {
        const TransferEntry& entry = m_params.entries.at(index);
        if (entry.session != session.name)
            continue;
        const QString& source = entry.path;
        if (const QString refusal = names.refusal(source); !refusal.isEmpty()) {
            m_messages.showMessage(refusal, MessageIcon::Error, MessageButtons::Ok);
            act({RunAction::Kind::Copy,
                 RunAction::Result::Failed,
                 session.name,
                 source,
                 targetFolder + SplitPath(source).fileName,
                 0,
                 {},
                 refusal});
            skipEntry(index);
            continue;
        }
        FileInfo sourceInfo;
        const bool sourceRead = ShowFileInfo(index, session.name, source, targetFolder, sourceInfo);
        ++m_processed;
        const QString target = targetFolder + SplitPath(source).fileName;
        const std::optional<SyncTarget> existing =
            plan->listed() ? plan->targetOf(SplitPath(source).fileName) : lookAt(target);
        const bool needsCopy =
            NeedsSyncCopy({source, sourceInfo}, sourceRead, existing, times, remembered);
        if (stopped())
            break; // a question answered after the stop decides nothing
        if (!needsCopy) {
            update([](State& state) { ++state.succeeded; }); // identical, or kept by choice
            RunAction kept{RunAction::Kind::Keep,
                           RunAction::Result::Done,
                           session.name,
                           source,
                           existing ? existing->path : target,
                           sourceInfo.Size};
            if (sourceRead)
                kept.sourceTime = sourceInfo.LastWriteTime;
            if (existing && existing->infoRead)
                kept.targetTime = existing->info.LastWriteTime;
            act(std::move(kept));
        } else {
            WaitCursor wait(m_messages);
            if (copyReplacing(index, session.name, source, target))
                update([](State& state) { ++state.succeeded; });
        }
        finishEntry(index);
    }
    return summary().succeeded;
}

void TransferRun::PruneSyncTarget(const QString& session, const SyncPlan& plan)
{
    WaitCursor wait(m_messages);
    for (const QString& file : plan.prunes()) {
        // A file that cannot go stays; the summary counts it.
        const int error = m_services.files.deleteFile(file);
        RunAction pruned{RunAction::Kind::Prune, RunAction::Result::Done, session, {}, file};
        if (const std::optional<SyncTarget> listed = plan.targetOf(SplitPath(file).fileName);
            listed && listed->path == file) {
            pruned.bytes = listed->info.Size;
            pruned.targetTime = listed->info.LastWriteTime;
        }
        if (error) {
            pruned.result = RunAction::Result::Failed;
            pruned.reason = ErrorReason(error);
        }
        act(std::move(pruned));
    }
}

std::optional<SyncTarget> TransferRun::lookAt(const QString& target)
{
    // The folder could not be listed: the file is looked at on its own.
    if (!m_services.files.canOpenForReading(target))
        return std::nullopt;
    FileInfo info;
    const bool read = m_services.files.readAttributes(target, info) == 0;
    return SyncTarget{target, read ? info : FileInfo{}, read};
}

bool TransferRun::NeedsSyncCopy(const ReplaceFile& source, bool sourceRead,
                                const std::optional<SyncTarget>& target, SyncFolderTimes& times,
                                int& remembered)
{
    // Two files whose sizes and times could not both be read look the same:
    // the question decides.
    int mask = 0;
    if (target && target->infoRead && sourceRead) {
        mask = CompareFileInfos(source.info, target->info) & SyncCompareMask;
        // Only when the sizes agree does the time decide; only then is it
        // worth learning how finely the target's folder keeps it.
        if (mask == CompareBit::LastWrite)
            mask = SyncMask(source.info, target->info, times.resolution(*this));
    }
    switch (SyncPlan::Decide(target.has_value(), mask, remembered)) {
    case SyncPlan::Step::Copy:
        return true;
    case SyncPlan::Step::Keep:
        return false;
    case SyncPlan::Step::Ask:
        break;
    }
    return SyncPlan::Answered(m_messages.confirmReplace({target->path, target->info}, source),
                              remembered);
}

FileTime TransferRun::SyncFolderTimes::resolution(TransferRun& run)
{
    if (!known) {
        known = run.m_services.files.timeResolution(folder);
        if (*known == 0 && !std::exchange(run.m_timelessSaid, true))
            run.m_messages.showMessage(
                QStringLiteral("%1 does not keep the last-write times of its files, so Sync "
                               "cannot tell unchanged files and copies them again.")
                    .arg(folder),
                MessageIcon::Information, MessageButtons::Ok);
    }
    return *known;
}

void TransferRun::skipEntry(int index)
{
    ++m_processed;
    finishEntry(index);
}

void TransferRun::finishEntry(int index)
{
    m_progress->finish(index);
}

bool TransferRun::ShowFileInfo(int index, const QString& session, const QString& sourcePath,
                               const QString& targetFolder, FileInfo& info,
                               const std::optional<FileInfo>& opened)
{
    // After a stop nothing is looked at: the server may no longer answer.
    const bool read = opened ? (info = *opened, true)
                             : !stopped() && m_services.files.readAttributes(sourcePath, info) == 0;
    if (!read)
        info = FileInfo{};
    const SplitPathResult split = SplitPath(sourcePath);
    ShownFile shown;
    shown.session = session;
    shown.fileName = split.fileName;
    shown.sizeText = FileBytesText(info.Size);
    shown.modifiedText = FileDateText(info.LastWriteTime, false);
    shown.sourceFolder = split.folder;
    shown.targetFolder = targetFolder;
    shown.progressLine =
        QStringLiteral("Transferring file %1 of %2 ...").arg(m_processed + 1).arg(total());
    m_progress->show(index, m_processed + 1, info.Size);
    m_services.observer.fileShown(shown);
    return read;
}

bool TransferRun::copyReplacing(int index, const QString& session, const QString& source,
                                const QString& target)
{
    update([&](State& state) { state.copying = source; });
    const CopyOutcome outcome = m_services.files.copy(
        {source, target, false, nullptr, m_progress->watcher(index, m_services.copyWatcher),
         m_services.stop});
    update([](State& state) { state.copying.clear(); });
    const bool copied = reportCopy(outcome.error, source, target);
    actOnCopy(session, source, target, outcome);
    return copied;
}

bool TransferRun::reportCopy(int result, const QString& source, const QString& target)
{
    if (result == 0)
        return true;
    if (result == PlatformError::Cancelled || stopped()) {
        // The user stopped the run: no failure to report, whatever the copy
        // ended with as it was given up.
        update([&](State& state) { state.cutFile = source; });
        return false;
    }
    m_messages.showMessage(
        WithReason(QStringLiteral("Failed to copy file %1 to %2").arg(source, target), result),
        MessageIcon::Error, MessageButtons::Ok);
    return false;
}

} // namespace tarvo
