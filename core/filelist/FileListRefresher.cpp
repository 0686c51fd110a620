#include "core/filelist/FileListRefresher.h"

#include "core/filelist/FileListModel.h"
#include "platform/MessageService.h"

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
    if (m_worker) {
        m_worker->thread.request_stop();
        return; // launched when the running job has ended
    }
    launch();
}

void FileListRefresher::launch()
{
    const Settings snapshot = std::move(*m_pending);
    m_pending.reset();

    const quint64 generation = m_generation;
    const bool defaultSelect = snapshot.DefaultSelect;
    const quint64 job = ++m_jobCount;
    // The refresher outlives every job it starts (stop() waits), and calls
    // posted to it are dropped if it is gone, so the job may name it. Its end
    // is posted after the rows it sent.
    m_worker = std::make_unique<Job>();
    m_worker->thread = std::jthread([this, snapshot, services = m_services, generation, job,
                                     defaultSelect, &end = m_worker->end](std::stop_token stop) {
        FileListBuilder builder(snapshot, services);
        builder.setStopToken(stop);
        try {
            builder.RefreshList([&](FileRows&& rows) {
                m_posted.post([this, generation, rows = std::move(rows)]() mutable {
                    deliver(generation, std::move(rows));
                });
            });
        } catch (const std::exception& error) {
            services.messages.showMessage(QStringLiteral("The list could not be filled.\r\n%1")
                                              .arg(QString::fromLocal8Bit(error.what())),
                                          MessageIcon::Error, MessageButtons::Ok);
        }
        m_posted.post([this, job, generation, defaultSelect] {
            threadEnded(job, generation, defaultSelect);
        });
        end.reach();
    });
}

void FileListRefresher::deliver(quint64 generation, FileRows rows)
{
    if (generation == m_generation)
        m_model.mergeSorted(std::move(rows));
}

void FileListRefresher::threadEnded(quint64 job, quint64 generation, bool defaultSelect)
{
    if (!m_worker || job != m_jobCount)
        return;       // stop() has already collected that job
    m_worker.reset(); // waits for the thread's last steps

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
    if (!m_worker)
        return;
    ++m_generation;
    // Taken out first: the posted end of the job then finds nothing to collect.
    const std::unique_ptr<Job> worker = std::move(m_worker);
    worker->thread.request_stop();
    worker->end.waitServingEvents();
}

} // namespace tarvo
