#include "core/browse/FolderReadJob.h"

#include "config/PathHelpers.h"
#include "core/browse/FolderReader.h"

#include <QElapsedTimer>
#include <utility>

namespace tarvo {

FolderReadJob::FolderReadJob(FileSystem& files, Params params, std::stop_token stop,
                             Deliver deliver)
    : m_files(files)
    , m_params(std::move(params))
    , m_stop(std::move(stop))
    , m_deliver(std::move(deliver))
{}

void FolderReadJob::run()
{
    const FolderReader reader(m_files);
    std::optional<QStringList> names = reader.subfolders(m_params.path, m_stop);
    if (cancelled())
        return;
    FolderReadBatch batch;
    batch.finished = true;
    if (!names) {
        batch.listed = false;
        m_deliver(std::move(batch));
        return;
    }
    batch.names = std::move(*names);
    if (m_params.treeSpeed) {
        // High speed: every folder gets a button without a look inside.
        batch.expandable.fill(true, batch.names.size());
        m_deliver(std::move(batch));
        return;
    }

    const QString folder = AddTrailingSeparator(m_params.path);
    const QStringList all = batch.names;
    batch.finished = false;
    QElapsedTimer sinceDelivery;
    sinceDelivery.start();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (cancelled())
            return;
        batch.expandable.append(reader.hasSubfolders(folder + all.at(i)));
        if (sinceDelivery.elapsed() >= m_params.batchMilliseconds && i + 1 < all.size()) {
            const int next = batch.first + int(batch.expandable.size());
            m_deliver(std::exchange(batch, FolderReadBatch{}));
            batch.first = next;
            sinceDelivery.restart();
        }
    }
    batch.finished = true;
    m_deliver(std::move(batch));
}

} // namespace tarvo
