#include "core/transfer/TransferJob.h"

namespace tarvo {

TransferJob::TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                         MessageService& messages, Handlers handlers, const RunLog* log)
    : m_handlers(std::move(handlers))
    , m_recorder(m_reporter, params.dryRun ? nullptr : log)
    , m_progress(int(params.entries.size()), params.sizes)
    , m_run(std::move(params),
            {files, connections, messages, m_recorder, nullptr, m_stop.get_token(), &m_progress})
{}

TransferJob::~TransferJob()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TransferJob::start()
{
    {
        std::lock_guard lock(m_endMutex);
        if (m_started)
            return;
        m_started = true;
    }
    ++s_running;
    m_thread = std::jthread([this] { run(); });
}

bool TransferJob::isRunning() const
{
    std::lock_guard lock(m_endMutex);
    return m_started && !m_ended;
}

void TransferJob::deleteWhenEnded()
{
    m_handlers = {};
    std::lock_guard lock(m_endMutex);
    if (!m_started || m_ended)
        deleteLater();
    else
        m_deleteWhenEnded = true;
}

void TransferJob::Reporter::fileShown(const ShownFile& file)
{
    m_job.m_posted.post([&job = m_job, file] {
        if (job.m_handlers.fileShown)
            job.m_handlers.fileShown(file);
    });
}

void TransferJob::Reporter::actionDone(const RunAction& action)
{
    m_job.m_posted.post([&job = m_job, action] {
        if (job.m_handlers.actionDone)
            job.m_handlers.actionDone(action);
    });
}

void TransferJob::run()
{
    m_run.RunTransfer();
    m_posted.post([this, summary = m_run.summary()] {
        if (m_handlers.ended)
            m_handlers.ended(summary);
    });
    {
        std::lock_guard lock(m_endMutex);
        m_ended = true;
        if (m_deleteWhenEnded)
            deleteLater(); // on the owner's thread; its destructor joins this one
    }
    // Last, so that whoever sees no run left also finds a let-go job's
    // deletion already posted.
    --s_running;
}

} // namespace tarvo
