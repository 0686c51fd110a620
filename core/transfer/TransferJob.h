#pragma once

#include "core/transfer/TransferObserver.h"
#include "core/transfer/TransferRun.h"
#include "platform/WorkerThread.h"

#include <QMetaType>
#include <QObject>

namespace tarvo {

// The Progress dialog's worker: runs one TransferRun on a worker thread and
// turns every progress report into a signal, which receivers on the GUI
// thread take queued. Questions and messages go through the MessageService,
// whose window implementation blocks the worker, never the GUI thread.
class TransferJob : public QObject
{
    Q_OBJECT

public:
    TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                MessageService& messages, QObject* parent = nullptr);
    // Waits for the run: nothing it uses may go away under it.
    ~TransferJob() override;

    void start();
    // Stops the run between files and between blocks of a file.
    void cancel() { m_worker.cancel(); }
    bool cancelled() const { return m_worker.cancelled(); }
    // How far the run has come; callable from any thread, at any time.
    ProgressSnapshot progress() const { return m_progress.snapshot(); }

signals:
    void sessionStarted(const QString& name);
    void fileShown(const tarvo::ShownFile& file);
    void positionChanged(int percent);
    void runFinished(const tarvo::RunSummary& summary);
    // The run is over: the last signal, after every other.
    void ended();

private:
    // Forwards the run's reports to the signals, on the job's thread.
    class Reporter : public TransferObserver
    {
    public:
        explicit Reporter(TransferJob& job)
            : m_job(job)
        {}
        void sessionStarted(const QString& name) override { emit m_job.sessionStarted(name); }
        void fileShown(const ShownFile& file) override { emit m_job.fileShown(file); }
        void positionChanged(int percent) override { emit m_job.positionChanged(percent); }
        void runFinished(const RunSummary& summary) override
        {
            m_job.m_finishedReported = true;
            emit m_job.runFinished(summary);
        }

    private:
        TransferJob& m_job;
    };

    void run(const CancelToken& token);

    Reporter m_reporter{*this};
    TransferParams m_params;
    RunProgress m_progress{int(m_params.entries.size()), m_params.sizes};
    TransferServices m_services;
    bool m_finishedReported = false;
    WorkerThread m_worker;
};

} // namespace tarvo

Q_DECLARE_METATYPE(tarvo::ShownFile)
Q_DECLARE_METATYPE(tarvo::RunSummary)
