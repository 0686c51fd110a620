#pragma once

#include "config/Settings.h"
#include "core/filelist/FileListBuilder.h"
#include "platform/PostedCalls.h"
#include "platform/ThreadEnd.h"

#include <memory>
#include <QObject>
#include <thread>

namespace tarvo {

class FileListModel;

// Runs refresh jobs on worker threads for the window, one at a time. The
// worker never touches the model: its rows reach the window's thread as
// queued calls, and rows of a job that was superseded are dropped. A new
// request while a job runs cancels that job and starts once it has ended,
// so rows are never doubled; the window's thread never blocks on a worker.
class FileListRefresher : public QObject
{
    Q_OBJECT

public:
    FileListRefresher(FileListModel& model, FileListBuilder::Services services,
                      QObject* parent = nullptr);
    // Stops a running job and waits for its thread (see stop()).
    ~FileListRefresher() override;

    // Empties the model and lists the snapshot's default sessions on a new thread.
    void start(Settings snapshot);

    // Cancels the running job and waits until its thread has ended, handling
    // events meanwhile so that a question the worker asks can still be answered.
    void stop();

    bool isRunning() const { return m_worker != nullptr; }

signals:
    // The job has ended and its rows are all in the model; defaultSelect is the
    // snapshot's DefaultSelect, for the list to apply.
    void finished(bool defaultSelect);

private:
    void launch();
    void deliver(quint64 generation, FileRows rows);
    void threadEnded(quint64 job, quint64 generation, bool defaultSelect);

    FileListModel& m_model;
    FileListBuilder::Services m_services;
    // The job under way: its thread, which it tells when it is done.
    struct Job
    {
        ThreadEnd end;
        std::jthread thread;
    };
    std::unique_ptr<Job> m_worker;
    quint64 m_generation = 0;
    quint64 m_jobCount = 0;
    std::unique_ptr<Settings> m_pending;
    PostedCalls m_posted{this}; // the worker's rows, then its end
};

} // namespace tarvo
