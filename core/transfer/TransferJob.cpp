#include "core/transfer/TransferJob.h"

namespace tarvo {

TransferJob::TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                         MessageService& messages, QObject* parent)
    : QThread(parent)
    , m_run(std::move(params), TransferServices{files, connections, messages, m_reporter})
{}

TransferJob::~TransferJob()
{
    wait();
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
}

} // namespace tarvo
