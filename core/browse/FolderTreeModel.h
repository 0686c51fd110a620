#pragma once

#include "core/browse/FolderReadJob.h"
#include "platform/PostedCalls.h"

#include <atomic>
#include <memory>
#include <QAbstractItemModel>
#include <QHash>
#include <QVariant>
#include <stop_token>
#include <thread>
#include <unordered_map>
#include <vector>

class QItemSelectionModel;

namespace tarvo {

class FileSystem;

// The folder browser's tree: one root item (the device or a share) and the
// folders below it, read one level at a time when an item is opened and read
// again at every opening. A folder that has not been read yet has one
// placeholder child (empty text, not selectable): it is what gives the folder
// its expand button. Reading and probing run on worker threads; the results
// come back to the model's thread, so the window never waits for a share.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit FolderTreeModel(FileSystem& files, QObject* parent = nullptr);
    // Cancels the reads in flight and waits for them.
    ~FolderTreeModel() override;

    // With TreeSpeed on, folders get an expand button without being probed.
    void setTreeSpeed(bool on) { m_treeSpeed = on; }
    // How long the probes of a folder gather before their buttons reach the tree.
    void setBatchInterval(int milliseconds) { m_batchMilliseconds = milliseconds; }
    // Starts the tree anew: the root item alone, with an expand button.
    void setRoot(const QString& text);
    // What the view shows as icons: the root's, and the folders' (open when selected).
    void setDecorations(const QVariant& root, const QVariant& folder);

    QModelIndex rootItem() const;
    // The item's full path: "\" or "\folder\sub" on the device, "\\server\share\folder" on a share.
    QString path(const QModelIndex& item) const;
    bool isPlaceholder(const QModelIndex& item) const;
    // True while a listing that the user waits for is in flight.
    bool isBusy() const { return m_pendingListings > 0; }

    // Opening an item: throws its children away and reads its subfolders
    // afresh; folderRead and then folderSettled follow.
    void expandItem(const QModelIndex& item);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The item's children are now the count folders just read, sorted by
    // name. With count 0 the item refuses to open: the view closes it again.
    void folderRead(const QModelIndex& item, int count);
    // Every child of the item has its final expand button.
    void folderSettled(const QModelIndex& item);
    void busyChanged(bool busy);
    // The item's children are about to go (ahead of rowsAboutToBeRemoved, which
    // a selection model answers by dropping a current item among them).
    void childrenAboutToBeRemoved(const QModelIndex& item);

private:
    struct Node;
    struct Request
    {
        Node* node;
        std::stop_source stop;
    };

    Node* nodeFrom(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    void applyBatch(quint64 request, const FolderReadBatch& batch);
    int applyListing(Node* node, const FolderReadBatch& batch); // folders inserted
    void applyProbes(Node* node, const FolderReadBatch& batch);
    void removeChildren(Node* node);
    void addPlaceholder(Node* node);
    void removePlaceholder(Node* node);
    void cancelReads(Node* node);
    void finishRequest(Node* node);
    void setListingDone(Node* node);

    FileSystem& m_files;
    bool m_treeSpeed = false;
    int m_batchMilliseconds = 100;
    std::unique_ptr<Node> m_root;
    QVariant m_rootDecoration;
    QVariant m_folderDecoration;
    QHash<quint64, Request> m_requests;
    quint64 m_lastRequest = 0;
    int m_pendingListings = 0;
    PostedCalls m_posted{this}; // the workers' batches and ends; outlives the workers
    // The reads under way, cancelled or not, until each has ended: the
    // window's thread never waits for a read.
    std::unordered_map<quint64, std::jthread> m_workers;
};

// Before a folder's children go, a selected item among them, or below them,
// hands the selection to that folder.
void KeepSelectionOnParent(FolderTreeModel& model, QItemSelectionModel& selection);

} // namespace tarvo
