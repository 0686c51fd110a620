#include "core/record/RunRecorder.h"

#include "core/record/RunLog.h"

#include <QCoreApplication>

namespace tarvo {

namespace {

// To the second, as the record writes it: a line kept reads as the same line
// read back from the log.
QDateTime Now()
{
    return QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
}

} // namespace

RunRecorder::RunRecorder(TransferObserver& next, const RunLog* log, QString runId)
    : m_next(next)
    , m_log(log)
    , m_runId(std::move(runId))
{}

void RunRecorder::fileShown(const ShownFile& file)
{
    m_next.fileShown(file);
}

void RunRecorder::actionDone(const RunAction& action)
{
    const bool copied =
        action.result == RunAction::Result::Done &&
        (action.kind == RunAction::Kind::Copy || action.kind == RunAction::Kind::Replace);
    {
        const std::lock_guard lock(m_mutex);
        if (copied)
            m_bytesCopied += action.bytes;
        keep(RunRecordLine::fromAction(action, Now(), m_runId));
    }
    m_next.actionDone(action);
}

void RunRecorder::runFinished(const RunSummary& summary)
{
    if (!m_finished.exchange(true)) {
        const std::lock_guard lock(m_mutex);
        keep(RunRecordLine::closing(summary, m_bytesCopied, Now(), m_runId));
    }
    m_next.runFinished(summary);
}

QList<RunRecordLine> RunRecorder::lines() const
{
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

QString RunRecorder::writeError() const
{
    const std::lock_guard lock(m_mutex);
    return m_writeError;
}

QString RunRecorder::NewRunId()
{
    return RunId(QDateTime::currentDateTime(), QCoreApplication::applicationPid());
}

// Called with the lock held, so that lines from the run's thread and from a
// caller that stops waiting for it reach the file in the order kept.
void RunRecorder::keep(const RunRecordLine& line)
{
    m_lines.append(line);
    if (!m_log)
        return;
    const QString error = m_log->append({line.text()});
    if (m_writeError.isEmpty())
        m_writeError = error;
}

} // namespace tarvo
