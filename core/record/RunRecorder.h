#pragma once

#include "core/record/RunRecord.h"
#include "core/transfer/TransferObserver.h"

#include <atomic>
#include <mutex>
#include <QList>

namespace tarvo {

class RunLog;

// Keeps the record of one run: each action and, last, how the run ended,
// written to the run log as they come and kept for showing after the run.
// Every call goes on to the observer that shows the run, after its line is
// written, so that whoever learns the run has ended finds its record whole.
class RunRecorder : public TransferObserver
{
public:
    // Without a log, the lines are only kept.
    RunRecorder(TransferObserver& next, const RunLog* log, QString runId = NewRunId());

    void fileShown(const ShownFile& file) override;
    void actionDone(const RunAction& action) override;
    // Recorded once: by the run, or by whoever stops waiting for it.
    void runFinished(const RunSummary& summary) override;

    QString runId() const { return m_runId; }
    // This run's lines so far; callable from any thread.
    QList<RunRecordLine> lines() const;
    // Why the log could not be written the first time it could not, or nothing.
    QString writeError() const;

    // An id for a run that starts now in this process.
    static QString NewRunId();

private:
    void keep(const RunRecordLine& line);

    TransferObserver& m_next;
    const RunLog* const m_log;
    const QString m_runId;
    std::atomic_bool m_finished{false};
    mutable std::mutex m_mutex;
    QList<RunRecordLine> m_lines;
    quint64 m_bytesCopied = 0; // by copies and replaces that were done
    QString m_writeError;
};

} // namespace tarvo
