#include "core/filelist/FileListRefresher.h"

#include "core/filelist/FileListModel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <utility>

namespace tarvo {

FileListRefresher::FileListRefresher(FileListModel& model, FileListBuilder::Services services,
                                     QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_services(services)
{}

FileListRefresher::~FileListRefresher()
{
    stop();
}

void FileListRefresher::start(Settings snapshot)
{
    // Rows of every earlier job are stale from now on.
    ++m_generation;
    m_model.clear();
    m_pending = std::make_unique<Settings>(std::move(snapshot));
    if (m_thread) {
        m_cancel->store(true);
        return; // launched when the running job's thread has ended
    }
    launch();
}

void FileListRefresher::launch()
{
    const Settings snapshot = std::move(*m_pending);
    m_pending.reset();
    m_cancel = std::make_shared<std::atomic_bool>(false);

    const quint64 generation = m_generation;
    const bool defaultSelect = snapshot.DefaultSelect;
    const quint64 job = ++m_jobCount;
    // The refresher outlives every thread it starts (stop() waits), and calls
    // queued to it are dropped if it is gone, so the worker may name it.
    m_thread =
        QThread::create([this, snapshot, services = m_services, cancel = m_cancel, generation] {
            FileListBuilder builder(snapshot, services);
            builder.setCancelFlag(cancel.get());
            builder.RefreshList([&](FileRows&& rows) {
                m_posted.post([this, generation, rows = std::move(rows)]() mutable {
                    deliver(generation, std::move(rows));
                });
            });
        });
    // The thread's end is reported through the event queue after the rows it sent.
    connect(
        m_thread, &QThread::finished, this,
        [this, job, generation, defaultSelect] { threadEnded(job, generation, defaultSelect); },
        Qt::QueuedConnection);
    m_thread->start();
}

void FileListRefresher::deliver(quint64 generation, FileRows rows)
{
    if (generation == m_generation)
        m_model.mergeSorted(std::move(rows));
}

void FileListRefresher::threadEnded(quint64 job, quint64 generation, bool defaultSelect)
{
    if (!m_thread || job != m_jobCount)
        return; // stop() has already collected that thread
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (m_pending) {
        launch();
        return;
    }
    if (generation == m_generation)
        emit finished(defaultSelect);
}

void FileListRefresher::stop()
{
    m_pending.reset();
    if (!m_thread)
        return;
    ++m_generation;
    m_cancel->store(true);
    // Taken out first: the queued end-of-thread call then finds nothing to collect.
    QThread* thread = std::exchange(m_thread, nullptr);
    while (!thread->wait(QDeadlineTimer(20)))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    delete thread;
}

} // namespace tarvo
