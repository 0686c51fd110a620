#include "core/browse/FolderTreeModel.h"

#include "core/browse/BrowseRoot.h"
#include "platform/ThreadHandOver.h"

#include <QItemSelectionModel>

namespace tarvo {

struct FolderTreeModel::Node
{
    QString text;
    Node* parent = nullptr;
    int row = 0;
    bool placeholder = false;
    quint64 request = 0;  // the read in flight for this folder, 0 when none
    bool listing = false; // that read has not delivered its listing yet
    std::vector<std::unique_ptr<Node>> children;

    bool hasOnlyPlaceholder() const
    {
        return children.size() == 1 && children.front()->placeholder;
    }
};

FolderTreeModel::FolderTreeModel(FileSystem& files, QObject* parent)
    : QAbstractItemModel(parent)
    , m_files(files)
{}

FolderTreeModel::~FolderTreeModel()
{
    m_workers.clear(); // asks each to stop, and waits for it
}

void FolderTreeModel::setRoot(const QString& text)
{
    beginResetModel();
    if (m_root)
        cancelReads(m_root.get());
    m_root = std::make_unique<Node>();
    m_root->text = text;
    auto placeholder = std::make_unique<Node>();
    placeholder->parent = m_root.get();
    placeholder->placeholder = true;
    m_root->children.push_back(std::move(placeholder));
    endResetModel();
}

void FolderTreeModel::setDecorations(const QVariant& root, const QVariant& folder)
{
    m_rootDecoration = root;
    m_folderDecoration = folder;
}

QModelIndex FolderTreeModel::rootItem() const
{
    return m_root ? createIndex(0, 0, m_root.get()) : QModelIndex();
}

QString FolderTreeModel::path(const QModelIndex& item) const
{
    QStringList texts;
    for (const Node* node = nodeFrom(item); node; node = node->parent)
        texts.prepend(node->text);
    return FolderItemPath(texts);
}

bool FolderTreeModel::isPlaceholder(const QModelIndex& item) const
{
    const Node* node = nodeFrom(item);
    return node && node->placeholder;
}

void FolderTreeModel::expandItem(const QModelIndex& item)
{
    Node* node = nodeFrom(item);
    if (!node || node->placeholder)
        return;
    if (node->request) {
        if (node->listing)
            return;        // the listing asked for is still on its way
        cancelReads(node); // probes of an earlier reading: this one starts over
    }
    const quint64 id = ++m_lastRequest;
    node->request = id;
    node->listing = true;
    if (m_pendingListings++ == 0)
        emit busyChanged(true);

    // Reads of several folders may be in flight: a slow share must not hold
    // up the next one. A read's end is posted after its batches.
    FolderReadJob::Params params{path(item), m_treeSpeed, m_batchMilliseconds};
    std::jthread worker([this, id, params = std::move(params)](std::stop_token stop) {
        try {
            FolderReadJob(m_files, params, stop, [this, id](FolderReadBatch batch) {
                m_posted.post([this, id, batch = std::move(batch)] { applyBatch(id, batch); });
            }).run();
        } catch (const std::exception&) {
            // A read that broke off shows its folder as one that cannot be read.
            m_posted.post([this, id] { applyBatch(id, {false, {}, 0, {}, true}); });
        }
        m_posted.post([this, id] { m_workers.erase(id); });
    });
    m_requests.insert(id, {node, worker.get_stop_source()});
    m_workers.emplace(id, std::move(worker));
}

void FolderTreeModel::applyBatch(quint64 request, const FolderReadBatch& batch)
{
    const auto found = m_requests.constFind(request);
    if (found == m_requests.cend())
        return; // its folder was read again or went away meanwhile
    Node* node = found->node;
    if (node->listing) {
        const int count = applyListing(node, batch);
        if (count == 0) {
            finishRequest(node);
            emit folderRead(indexOf(node), 0);
            return;
        }
        emit folderRead(indexOf(node), count);
    } else {
        applyProbes(node, batch);
    }
    if (batch.finished) {
        finishRequest(node);
        emit folderSettled(indexOf(node));
    }
}

int FolderTreeModel::applyListing(Node* node, const FolderReadBatch& batch)
{
    setListingDone(node);
    removeChildren(node);
    if (!batch.listed) {
        // A root that cannot be listed keeps its button; any other folder loses it.
        if (node == m_root.get())
            addPlaceholder(node);
        return 0;
    }
    if (batch.names.isEmpty())
        return 0;
    beginInsertRows(indexOf(node), 0, int(batch.names.size()) - 1);
    node->children.reserve(size_t(batch.names.size()));
    for (qsizetype i = 0; i < batch.names.size(); ++i) {
        auto child = std::make_unique<Node>();
        child->text = batch.names.at(i);
        child->parent = node;
        child->row = int(i);
        // Not probed yet: a button for now, as in high speed.
        if (i >= batch.expandable.size() || batch.expandable.at(i)) {
            auto placeholder = std::make_unique<Node>();
            placeholder->parent = child.get();
            placeholder->placeholder = true;
            child->children.push_back(std::move(placeholder));
        }
        node->children.push_back(std::move(child));
    }
    endInsertRows();
    return int(batch.names.size());
}

void FolderTreeModel::applyProbes(Node* node, const FolderReadBatch& batch)
{
    for (qsizetype i = 0; i < batch.expandable.size(); ++i) {
        const size_t row = size_t(batch.first + i);
        if (batch.expandable.at(i) || row >= node->children.size())
            continue;
        Node* child = node->children[row].get();
        // A folder that the user opened meanwhile has been read for itself.
        if (!child->request && child->hasOnlyPlaceholder())
            removePlaceholder(child);
    }
}

void FolderTreeModel::removeChildren(Node* node)
{
    if (node->children.empty())
        return;
    for (const auto& child : node->children)
        cancelReads(child.get());
    emit childrenAboutToBeRemoved(indexOf(node));
    beginRemoveRows(indexOf(node), 0, int(node->children.size()) - 1);
    node->children.clear();
    endRemoveRows();
}

void FolderTreeModel::addPlaceholder(Node* node)
{
    if (!node->children.empty())
        return;
    beginInsertRows(indexOf(node), 0, 0);
    auto placeholder = std::make_unique<Node>();
    placeholder->parent = node;
    placeholder->placeholder = true;
    node->children.push_back(std::move(placeholder));
    endInsertRows();
}

void FolderTreeModel::removePlaceholder(Node* node)
{
    beginRemoveRows(indexOf(node), 0, 0);
    node->children.clear();
    endRemoveRows();
}

void FolderTreeModel::cancelReads(Node* node)
{
    if (node->request)
        finishRequest(node);
    for (const auto& child : node->children)
        cancelReads(child.get());
}

void FolderTreeModel::finishRequest(Node* node)
{
    setListingDone(node);
    if (const auto found = m_requests.constFind(node->request); found != m_requests.cend()) {
        found->stop.request_stop();
        m_requests.erase(found);
    }
    node->request = 0;
}

void FolderTreeModel::setListingDone(Node* node)
{
    if (!node->listing)
        return;
    node->listing = false;
    if (--m_pendingListings == 0)
        emit busyChanged(false);
}

FolderTreeModel::Node* FolderTreeModel::nodeFrom(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this ? static_cast<Node*>(index.internalPointer())
                                                    : nullptr;
}

QModelIndex FolderTreeModel::indexOf(const Node* node) const
{
    return node ? createIndex(node->row, 0, node) : QModelIndex();
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? rootItem() : QModelIndex();
    const Node* node = nodeFrom(parent);
    if (!node || size_t(row) >= node->children.size())
        return {};
    return createIndex(row, 0, node->children[size_t(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = nodeFrom(child);
    return node ? indexOf(node->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_root ? 1 : 0;
    const Node* node = nodeFrom(parent);
    return node ? int(node->children.size()) : 0;
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* node = nodeFrom(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole)
        return node->text;
    // A placeholder shows while its folder is being read: an empty row, no folder picture.
    if (role == Qt::DecorationRole && !node->placeholder)
        return node == m_root.get() ? m_rootDecoration : m_folderDecoration;
    return {};
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex& index) const
{
    const Node* node = nodeFrom(index);
    if (!node || node->placeholder)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void KeepSelectionOnParent(FolderTreeModel& model, QItemSelectionModel& selection)
{
    QObject::connect(&model, &FolderTreeModel::childrenAboutToBeRemoved, &selection,
                     [&selection](const QModelIndex& folder) {
                         for (QModelIndex item = selection.currentIndex(); item.isValid();
                              item = item.parent()) {
                             if (item.parent() == folder) {
                                 selection.setCurrentIndex(folder,
                                                           QItemSelectionModel::ClearAndSelect);
                                 return;
                             }
                         }
                     });
}

} // namespace tarvo
