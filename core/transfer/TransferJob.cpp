#include "core/transfer/TransferJob.h"

namespace tarvo {

TransferJob::TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                         MessageService& messages, QObject* parent)
    : QObject(parent)
    , m_params(std::move(params))
    , m_services{files, connections, messages, m_reporter}
{}

TransferJob::~TransferJob()
{
    m_worker.wait();
}

void TransferJob::start()
{
    m_worker.start([this](const CancelToken& token) { run(token); });
}

void TransferJob::run(const CancelToken& token)
{
    TransferServices services = m_services;
    services.cancel = token;
    services.progress = &m_progress;
    TransferRun transfer(m_params, services);
    try {
        transfer.RunTransfer();
    } catch (...) {
        // Nothing may escape a thread; the summary still ends the run, so
        // the dialog's Done appears and counts what was done.
    }
    if (!m_finishedReported)
        emit runFinished(transfer.summary());
    emit ended();
}

} // namespace tarvo
