#pragma once

#include "core/record/RunRecorder.h"
#include "core/transfer/TransferObserver.h"
#include "core/transfer/TransferRun.h"
#include "platform/PostedCalls.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <QObject>
#include <stop_token>
#include <thread>

namespace tarvo {

// The Progress dialog's worker: runs one TransferRun on a thread of its own
// and hands each report to its owner's thread through posted calls, where
// the handlers that the owner set get it. Questions and messages go through
// the MessageService, whose window implementation blocks the worker, never
// the owner's thread.
class TransferJob : public QObject
{
public:
    // Called on the thread that made the job.
    struct Handlers
    {
        std::function<void(const ShownFile&)> fileShown;
        std::function<void(const RunAction&)> actionDone;
        // The last call: how the run ended.
        std::function<void(const RunSummary&)> ended;
    };

    // A run with a log writes its record there (a dry run never does); the
    // record's lines are kept either way.
    TransferJob(TransferParams params, FileSystem& files, ShareConnections& connections,
                MessageService& messages, Handlers handlers, const RunLog* log = nullptr);
    // Waits for the run: nothing it uses may go away under it.
    ~TransferJob() override;

    void start();
    // Stops the run between files and between blocks of a file.
    void cancel() { m_stop.request_stop(); }
    bool isRunning() const;
    // How far the run has come; callable from any thread, at any time.
    ProgressSnapshot progress() const { return m_progress.snapshot(); }
    // How the run stands (how it ended, once it has); callable from any
    // thread, at any time: for a caller that no longer waits for a run held
    // up by a server that stopped answering.
    RunSummary summary() const { return m_run.summary(); }
    // The run's record so far, and why it could not be written, if it could not.
    QList<RunRecordLine> recordLines() const { return m_recorder.lines(); }
    QString recordError() const { return m_recorder.writeError(); }

    // Lets the job go: its handlers are dropped, and it deletes itself once
    // its run has ended (at once when it has). For the owner of a run that
    // it no longer waits for.
    void deleteWhenEnded();
    // Jobs of the process whose runs have not ended yet: a program that ends
    // while one waits for a server that stopped answering does not wait too.
    // Once it is 0, the deletion of every let-go job has been posted.
    static int running() { return s_running.load(); }

private:
    // Hands the run's reports to the owner's thread.
    class Reporter : public TransferObserver
    {
    public:
        explicit Reporter(TransferJob& job)
            : m_job(job)
        {}
        void fileShown(const ShownFile& file) override;
        void actionDone(const RunAction& action) override;
        void runFinished(const RunSummary&) override {}

    private:
        TransferJob& m_job;
    };

    void run();

    static inline std::atomic<int> s_running{0};

    Handlers m_handlers; // used on the owner's thread only
    PostedCalls m_posted{this};
    Reporter m_reporter{*this};
    RunRecorder m_recorder;
    std::stop_source m_stop;
    RunProgress m_progress;
    TransferRun m_run;
    mutable std::mutex m_endMutex;
    bool m_started = false;
    bool m_ended = false;
    bool m_deleteWhenEnded = false;
    std::jthread m_thread;
};

} // namespace tarvo
