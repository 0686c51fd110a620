#pragma once

#include "core/transfer/TransferObserver.h"
#include "core/transfer/TransferRun.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <mutex>
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
    void cancel() { m_cancel.cancel(); }
    bool cancelled() const { return m_cancel.cancelled(); }
    bool isRunning() const;
    // How far the run has come; callable from any thread, at any time.
    ProgressSnapshot progress() const { return m_progress.snapshot(); }
    // How the run stands (how it ended, once it has); callable from any
    // thread, at any time: for a caller that no longer waits for a run held
    // up by a server that stopped answering.
    RunSummary summary() const { return m_run.summary(); }

    // Lets the job go: it deletes itself once its run has ended (at once
    // when it has). For the owner of a run that it no longer waits for.
    void deleteWhenEnded();
    // Jobs of the process whose runs have not ended yet: a program that ends
    // while one waits for a server that stopped answering does not wait too.
    static int running() { return s_running.load(); }

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

    void run();

    static inline std::atomic<int> s_running{0};

    Reporter m_reporter{*this};
    CancelToken m_cancel;
    RunProgress m_progress;
    TransferRun m_run;
    bool m_finishedReported = false;
    mutable std::mutex m_endMutex;
    bool m_started = false;
    bool m_ended = false;
    bool m_deleteWhenEnded = false;
    WorkerThread m_worker;
};

} // namespace tarvo

Q_DECLARE_METATYPE(tarvo::ShownFile)
Q_DECLARE_METATYPE(tarvo::RunSummary)
