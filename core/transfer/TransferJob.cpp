#include "core/transfer/TransferJob.h"

namespace tarvo {

TransferJob::TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                         MessageService& messages, QObject* parent)
    : QObject(parent)
    , m_progress(int(params.entries.size()), params.sizes)
    , m_run(std::move(params),
            {files, connections, messages, m_reporter, nullptr, m_cancel, &m_progress})
{}

TransferJob::~TransferJob()
{
    m_worker.wait();
}

void TransferJob::start()
{
    {
        std::lock_guard lock(m_endMutex);
        m_started = true;
    }
    ++s_running;
    m_worker.start([this](const CancelToken&) { run(); });
}

bool TransferJob::isRunning() const
{
    std::lock_guard lock(m_endMutex);
    return m_started && !m_ended;
}

void TransferJob::deleteWhenEnded()
{
    std::lock_guard lock(m_endMutex);
    if (!m_started || m_ended)
        deleteLater();
    else
        m_deleteWhenEnded = true;
}

void TransferJob::run()
{
    try {
        m_run.RunTransfer();
    } catch (...) {
        // Nothing may escape a thread; the summary still ends the run, so
        // the dialog's Done appears and counts what was done.
    }
    if (!m_finishedReported)
        emit runFinished(m_run.summary());
    emit ended();
    --s_running;
    std::lock_guard lock(m_endMutex);
    m_ended = true;
    if (m_deleteWhenEnded)
        deleteLater(); // on the job's own thread; its destructor waits for this one
}

} // namespace tarvo
