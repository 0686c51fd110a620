#include "core/transfer/TransferRun.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/copy/CopyAhead.h"
#include "core/filelist/FileListTexts.h"
#include "core/shares/ShareConnector.h"
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
    return cancelled ? QStringLiteral("The run was cancelled; the files after it were not started.")
                     : QString();
}

QStringList RunSummary::lines() const
{
    QStringList all{text(), postOperationsText(), cancelledText()};
    all.removeAll(QString());
    return all;
}

TransferRun::TransferRun(TransferParams params, TransferServices services)
    : m_params(std::move(params))
    , m_services(services)
    , m_post(services.files, services.messages)
    , m_ownProgress(services.progress ? nullptr
                                      : std::make_unique<RunProgress>(total(), m_params.sizes))
    , m_progress(services.progress ? services.progress : m_ownProgress.get())
{}

RunSummary TransferRun::summary() const
{
    // A stop that came after the last file had ended stopped nothing.
    const bool cut = m_abandoned > 0 || m_finished < total();
    return {m_succeeded, total(), m_post.failures(), m_unreachable, stopped() && cut};
}

int TransferRun::RunTransfer()
{
    m_processed = 0;
    m_succeeded = 0;
    m_unreachable = 0;
    m_finished = 0;
    m_abandoned = 0;
    Settings& settings = m_params.settings;
    QSet<QString> visited;
    for (qsizetype i = 0; i < settings.DefaultSession.size() && !stopped(); ++i) {
        const QString name = settings.DefaultSession.at(i);
        // A session listed twice is one session: its files go once.
        if (visited.contains(name))
            continue;
        visited.insert(name);
        const QString line = settings.Sessions[name];
        const int direction = SessionDirection(line);
        m_services.observer.sessionStarted(name);

        const int kind = SessionKind(line);
        NetSession session;
        if (kind == KindNet)
            ParseNetSession(line, session);

        // A Get session is connected as well: its files are read from the share,
        // and the connection that listed them may be gone by now (another
        // session on the same share releases it when its transfer ends). An
        // Ftp session has no share to connect.
        bool connected = true;
        if (kind == KindNet && (direction == DirectionPut || direction == DirectionGet)) {
            WaitCursor wait(m_services.messages);
            connected =
                ConnectSessionShare(name, line, m_services.connections, m_services.messages) == 0;
            if (!connected)
                ++m_unreachable;
        }
        // An Ftp session has no transfer of its own: its entries stay
        // unprocessed, like those of a share that could not be connected.
        if (connected && kind == KindNet) {
            if (session.PostOp == PostSync)
                SyncSessionFiles(name, line);
            else
                TransferSessionFiles(name, line, session.PostOp);
        }
        if (kind == KindNet) {
            session.Name = name;
            DisconnectShare(session, m_services.connections);
        }
    }
    m_services.observer.runFinished(summary());
    return m_succeeded;
}

int TransferRun::TransferSessionFiles(const QString& name, const QString& line, int postOp)
{
    const QString targetFolder = SessionTargetFolder(name, line);
    const QString postFolder = SessionPostFolder(name, line);

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
    TargetNames names(m_services.messages);
    for (int index = 0; index < total(); ++index) {
        QString source;
        if (!entryOfSession(m_params.entries.at(index), name, source))
            continue;
        QString refusal = names.refusal(source);
        if (refusal.isEmpty())
            copies.append({source, targetFolder + SplitPath(source).fileName, false, nullptr,
                           m_progress->watcher(index, m_services.copyWatcher), m_services.cancel});
        planned.append({index, std::move(source), std::move(refusal)});
    }
    CopyAhead ahead(m_services.files, std::move(copies));

    for (const Planned& file : std::as_const(planned)) {
        if (stopped()) {
            // The copies ahead that ended before the stop put their files in
            // place: each counts as sent and gets its post-operation, so that
            // the summary tells what the target folder holds. The others end
            // as cancelled, their parts removed, unreported.
            if (file.refusal.isEmpty())
                finishCopiedAhead(file.index, ahead.takeNext(), file.source, targetFolder,
                                  postFolder, postOp);
            continue;
        }
        if (!file.refusal.isEmpty()) {
            m_services.messages.showMessage(file.refusal, MessageIcon::Error, MessageButtons::Ok);
            skipEntry(file.index);
            continue;
        }
        const QString& source = file.source;
        const QString fileName = SplitPath(source).fileName;
        FileInfo sourceInfo;
        ShowFileInfo(file.index, source, targetFolder, sourceInfo);
        const QString target = targetFolder + fileName;
        ++m_processed;
        {
            WaitCursor wait(m_services.messages);
            const CopyOutcome outcome = ahead.takeNext();
            const bool copied = reportCopy(outcome.error, source, target);
            if (copied)
                ++m_succeeded;
            // After a failed copy the source stays where it is: deleting it
            // would lose its only copy, and filing it in the post folder
            // (moved or copied) would file it as sent. After a good one, the
            // post-operation acts only on the version of the source that was sent.
            if (copied)
                m_post.ApplyPostOperation(source, postFolder + fileName, postOp, &outcome.source);
        }
        finishEntry(file.index);
    }
    return m_succeeded;
}

void TransferRun::finishCopiedAhead(int index, const CopyOutcome& outcome, const QString& source,
                                    const QString& targetFolder, const QString& postFolder,
                                    int postOp)
{
    if (outcome.error)
        return;
    const QString fileName = SplitPath(source).fileName;
    FileInfo shown;
    ShowFileInfo(index, source, targetFolder, shown);
    ++m_processed;
    ++m_succeeded;
    m_post.ApplyPostOperation(source, postFolder + fileName, postOp, &outcome.source);
    finishEntry(index);
}

int TransferRun::SyncSessionFiles(const QString& name, const QString& line)
{
    int remembered = m_params.settings.DefaultChoice;
    const QString targetFolder = SessionTargetFolder(name, line);

    // A session of which nothing was chosen keeps its target folder as it is:
    // pruning it would delete every file there.
    const bool hasEntries =
        std::any_of(m_params.entries.cbegin(), m_params.entries.cend(), [&](const QString& e) {
            QString source;
            return entryOfSession(e, name, source);
        });
    if (!hasEntries)
        return m_succeeded;

    FolderSnapshot targets;
    bool listed = false;
    int keptByCase = 0;
    {
        WaitCursor wait(m_services.messages);
        QStringList files;
        listed = m_post.ListFolderFiles(targetFolder, files, &targets) >= 0;
        keptByCase =
            m_post.PruneSyncTarget(files, m_params.entries, name, line, m_params.namePatterns);
    }

    TargetNames names(m_services.messages);
    for (int index = 0; index < total(); ++index) {
        if (stopped())
            return m_succeeded;
        QString source;
        if (!entryOfSession(m_params.entries.at(index), name, source))
            continue;
        if (!names.accept(source)) {
            skipEntry(index);
            continue;
        }
        FileInfo sourceInfo;
        const bool sourceRead = ShowFileInfo(index, source, targetFolder, sourceInfo);
        const QString target = targetFolder + SplitPath(source).fileName;
        ++m_processed;

        bool needsCopy;
        if (listed) {
            // The listing already holds every target's size and time. Only a
            // file of exactly that name is the target: one whose name differs
            // in letter case may be another file, on a device folder.
            const auto known = targets.constFind(target);
            const bool exists = known != targets.cend();
            const int mask =
                exists && sourceRead ? m_post.SyncCompare(sourceInfo, *known, targetFolder) : 0;
            needsCopy = m_post.DecideSyncCopy(exists, mask, {source, sourceInfo},
                                              {target, exists ? *known : FileInfo{}}, remembered);
        } else {
            needsCopy = m_post.NeedsSyncCopy(source, target, remembered);
        }
        if (!needsCopy) {
            ++m_succeeded; // identical, or kept by the user's choice
            m_services.observer.fileKept(source, target);
        } else {
            WaitCursor wait(m_services.messages);
            if (copyReplacing(index, source, target))
                ++m_succeeded;
        }
        finishEntry(index);
    }

    // A file kept because its name differs from a carried one only in letter
    // case was either the file that a copy replaced, or, where the folder
    // now lists both names, another file that the mirror must lose.
    if (keptByCase > 0) {
        WaitCursor wait(m_services.messages);
        QStringList files;
        if (m_post.ListFolderFiles(targetFolder, files) >= 0)
            m_post.PruneSyncTarget(files, m_params.entries, name, line, m_params.namePatterns);
    }
    return m_succeeded;
}

void TransferRun::skipEntry(int index)
{
    ++m_processed;
    finishEntry(index);
}

void TransferRun::finishEntry(int index)
{
    ++m_finished;
    m_progress->finish(index);
    setPosition();
}

bool TransferRun::entryOfSession(const QString& entry, const QString& name,
                                 QString& sourcePath) const
{
    // By exact name, as the session table knows them: "Office" and "office"
    // may be two sessions.
    SplitEntryResult split = SplitEntry(entry);
    if (split.sessionName != name)
        return false;
    sourcePath = std::move(split.path);
    return true;
}

bool TransferRun::ShowFileInfo(int index, const QString& sourcePath, const QString& targetFolder,
                               FileInfo& info)
{
    const bool read = m_services.files.readAttributes(sourcePath, info) == 0;
    if (!read)
        info = FileInfo{};
    const SplitPathResult split = SplitPath(sourcePath);
    ShownFile shown;
    shown.fileName = split.fileName;
    shown.sizeText = FileBytesText(info.Size);
    shown.modifiedText = FileDateText(info.LastWriteTime, false);
    shown.sourceFolder = split.folder;
    shown.targetFolder = targetFolder;
    shown.progressLine =
        QStringLiteral("Transferring file %1 of %2 ...").arg(m_processed + 1).arg(total());
    m_progress->show(index, m_processed + 1, info.Size);
    m_services.observer.fileShown(shown);
    setPosition();
    return read;
}

bool TransferRun::copyReplacing(int index, const QString& source, const QString& target)
{
    return reportCopy(
        m_services.files
            .copy({source, target, false, nullptr,
                   m_progress->watcher(index, m_services.copyWatcher), m_services.cancel})
            .error,
        source, target);
}

bool TransferRun::reportCopy(int result, const QString& source, const QString& target)
{
    if (result == 0)
        return true;
    if (result == PlatformError::Cancelled) {
        ++m_abandoned;
        return false; // the user stopped the run: no failure to report
    }
    m_services.messages.showMessage(
        WithReason(QStringLiteral("Failed to copy file %1 to %2").arg(source, target), result),
        MessageIcon::Error, MessageButtons::Ok);
    return false;
}

void TransferRun::setPosition()
{
    m_services.observer.positionChanged(m_progress->snapshot().percent());
}

} // namespace tarvo
