#pragma once

#include "core/transfer/RunAction.h"

#include <QString>
#include <QStringList>

namespace tarvo {

// What the Progress dialog shows of one file (the ShowFileInfo texts).
struct ShownFile
{
    QString session; // the session whose file it is
    QString fileName;
    QString sizeText;     // "1,234,567 bytes"
    QString modifiedText; // date and time of the last write
    QString sourceFolder;
    QString targetFolder;
    QString progressLine; // "Transferring file 1 of 3 ..."

    QString sourcePath() const { return sourceFolder + fileName; }
    QString targetPath() const { return targetFolder + fileName; }
};

// How a transfer run ended.
struct RunSummary
{
    int succeeded = 0;
    int total = 0;
    int failedPostOperations = 0;
    int unreachableSessions = 0;  // sessions whose share could not be connected
    bool cancelled = false;       // the user stopped the run before its end
    QString cutFile;              // the source whose copy the stop cut off, if one was
    int postOperationsNotRun = 0; // files sent whose post-operation the stop kept from running
    QString failure;              // why the run broke off, when something broke it
    int pruned = 0;               // Sync target files deleted because no sent file matched them
    int pruneFailures = 0;        // such files that could not be deleted
    int kept = 0;                 // Sync targets left as they were, looking the same as the source
    int postCopied = 0;           // sources copied into the post folder
    int postMoved = 0;            // sources moved into the post folder
    int postDeleted = 0;          // sources deleted after their copy

    // "%d of %d files are transferred successfully"
    QString text() const;
    // The count of failed post-operations, or nothing when none failed.
    QString postOperationsText() const;
    // That the run was stopped, and where, or nothing when it ran to its end.
    QString cancelledText() const;
    // How many sent files kept their sources because of the stop, or nothing.
    QString postOperationsNotRunText() const;
    // That the run broke off, and why, or nothing.
    QString failureText() const;
    // What Sync did besides copying, and which post-operations ran: a line
    // for each kind that happened.
    QStringList actionsTexts() const;
    // Every line above that has something to say, in that order.
    QStringList lines() const;
    // Everything asked was done.
    bool complete() const
    {
        return succeeded == total && failedPostOperations == 0 && unreachableSessions == 0 &&
               !cancelled && failure.isEmpty();
    }
};

// How a transfer run reports what it does. Called on the run's own thread:
// the console prints, the window's job hands each call to the window's
// thread. The bytes and the bar's position are not reported: whoever shows
// them reads RunProgress when it draws.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;

    virtual void fileShown(const ShownFile& file) = 0;
    // Something the run did (or a dry run would do) to a file, once it is
    // known how it ended.
    virtual void actionDone(const RunAction& action) { Q_UNUSED(action); }
    // The last call.
    virtual void runFinished(const RunSummary& summary) = 0;
};

} // namespace tarvo
