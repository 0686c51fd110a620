#include "core/filelist/FileListModel.h"

#include "config/PathHelpers.h"
#include "core/filelist/FileListTexts.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tarvo {

FileListModel::FileListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_headers(FileListColumns::headerTexts())
{}

void FileListModel::setIconProvider(IconProvider provider)
{
    m_iconProvider = std::move(provider);
}

void FileListModel::clear()
{
    if (m_rows.isEmpty())
        return;
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void FileListModel::mergeSorted(FileRows batch)
{
    if (batch.isEmpty())
        return;
    if (m_sortColumn >= 0)
        std::stable_sort(batch.begin(), batch.end(),
                         [this](const FileRow& a, const FileRow& b) { return less(a, b); });
    const int oldCount = int(m_rows.size());
    const int added = int(batch.size());
    if (oldCount == 0 || !less(batch.constFirst(), m_rows.constLast())) {
        // The batch goes after every row already there: a plain append.
        beginInsertRows({}, oldCount, oldCount + added - 1);
        m_rows.append(std::move(batch));
        endInsertRows();
        return;
    }

    // Append, then move every row to its sorted place as one layout change, so
    // the view keeps its selection and current row.
    beginInsertRows({}, oldCount, oldCount + added - 1);
    m_rows.append(std::move(batch));
    endInsertRows();

    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::inplace_merge(order.begin(), order.begin() + oldCount, order.end(),
                       [this](int a, int b) { return less(m_rows.at(a), m_rows.at(b)); });
    reorder(order);
}

void FileListModel::sortBy(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= FileListColumns::Count)
        column = -1;
    if (column == m_sortColumn && (column < 0 || order == m_sortOrder))
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    std::vector<int> rows(m_rows.size());
    std::iota(rows.begin(), rows.end(), 0);
    // By name first, so that rows equal in the chosen column stand by name.
    std::stable_sort(rows.begin(), rows.end(),
                     [this](int a, int b) { return FileRowLess(m_rows.at(a), m_rows.at(b)); });
    std::stable_sort(rows.begin(), rows.end(),
                     [this](int a, int b) { return less(m_rows.at(a), m_rows.at(b)); });
    reorder(rows);
}

bool FileListModel::less(const FileRow& a, const FileRow& b) const
{
    const auto text = [](const QString& x, const QString& y) {
        return x.compare(y, Qt::CaseInsensitive);
    };
    int compared = 0;
    switch (m_sortColumn) {
    case FileListColumns::Name:
        compared = text(a.name, b.name);
        break;
    case FileListColumns::Date:
        compared = a.modified < b.modified ? -1 : a.modified > b.modified ? 1 : 0;
        break;
    case FileListColumns::Size:
        compared = a.bytes < b.bytes ? -1 : a.bytes > b.bytes ? 1 : 0;
        break;
    case FileListColumns::Path:
        compared = text(a.path, b.path);
        break;
    case FileListColumns::Session:
        compared = text(a.session, b.session);
        break;
    default:
        return FileRowLess(a, b);
    }
    if (compared == 0)
        return false; // equal rows keep their order by name
    return m_sortOrder == Qt::AscendingOrder ? compared < 0 : compared > 0;
}

void FileListModel::reorder(const std::vector<int>& order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    FileRows sorted;
    sorted.reserve(m_rows.size());
    for (int newRow = 0; newRow < int(order.size()); ++newRow) {
        newRowOf[order[newRow]] = newRow;
        sorted.append(std::move(m_rows[order[newRow]]));
    }
    m_rows = std::move(sorted);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newRowOf[index.row()], index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::markFailures(const QHash<QPair<QString, QString>, QString>& reasons)
{
    m_failures.insert(reasons);
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void FileListModel::clearFailures()
{
    if (m_failures.isEmpty())
        return;
    m_failures.clear();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

QString FileListModel::failureOf(const FileRow& row) const
{
    if (m_failures.isEmpty())
        return {};
    return m_failures.value({row.session, AddTrailingSeparator(row.path) + row.name});
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FileListColumns::Count;
}

QString FileListModel::cellText(const FileRow& row, int column)
{
    switch (column) {
    case FileListColumns::Name:
        return row.name;
    case FileListColumns::Date:
        return row.date;
    case FileListColumns::Size:
        return row.size;
    case FileListColumns::Path:
        return row.path;
    case FileListColumns::Session:
        return row.session;
    default:
        return {};
    }
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const FileRow& row = m_rows.at(index.row());
    if (role == Qt::DisplayRole)
        return cellText(row, index.column());
    if (role == Qt::DecorationRole && index.column() == FileListColumns::Name && m_iconProvider)
        return m_iconProvider(row.icon);
    if (role == FailureRole || role == Qt::ToolTipRole) {
        const QString failure = failureOf(row);
        if (failure.isEmpty())
            return {};
        return role == FailureRole
                   ? QVariant(failure)
                   : QVariant(QStringLiteral("Not sent by the last run: ") + failure);
    }
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers.at(section);
    return {};
}

} // namespace tarvo
