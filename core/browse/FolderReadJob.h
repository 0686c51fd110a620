#pragma once

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>
#include <stop_token>

namespace tarvo {

class FileSystem;

// What a read of one folder delivers, in one or more batches.
struct FolderReadBatch
{
    bool listed = true;     // first batch: false when the folder could not be listed
    QStringList names;      // first batch only: the subfolders, sorted
    int first = 0;          // the name that expandable[0] describes
    QList<bool> expandable; // whether names[first + i] shows an expand button
    bool finished = false;  // the last batch of this read
};

// Reads one folder for the browser's tree on a worker thread: its sorted
// subfolders, then, unless TreeSpeed is on, the probe of each subfolder in
// the tree's order. A folder of thousands of subfolders is shown as soon as
// it is listed; the probes follow in batches a fraction of a second apart,
// and a small folder comes in one batch with every button settled.
class FolderReadJob
{
public:
    using Deliver = std::function<void(FolderReadBatch)>; // called on the worker thread

    struct Params
    {
        QString path;
        bool treeSpeed = false;
        int batchMilliseconds = 100;
    };

    FolderReadJob(FileSystem& files, Params params, std::stop_token stop, Deliver deliver);

    void run();

private:
    bool cancelled() const { return m_stop.stop_requested(); }

    FileSystem& m_files;
    Params m_params;
    std::stop_token m_stop;
    Deliver m_deliver;
};

} // namespace tarvo
