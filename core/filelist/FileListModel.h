#pragma once

#include "core/filelist/FileRow.h"

#include <functional>
#include <QAbstractTableModel>
#include <QHash>
#include <QPair>
#include <vector>

namespace tarvo {

// The rows of the main list, sorted by name ignoring case unless the user
// chose a column to sort by. Rows come in batches sorted by name (one per
// folder) and are merged in; a selection made on the rows already there
// follows them to their new places, also when the order changes.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using IconProvider = std::function<QVariant(int iconIndex)>;
    // Why the row's file was not sent by the last run, or nothing.
    static constexpr int FailureRole = Qt::UserRole + 1;

    explicit FileListModel(QObject* parent = nullptr);

    // The window supplies the pictures; the model knows only indices.
    void setIconProvider(IconProvider provider);

    void clear();
    // Sorts by a column (FileListColumns), or by name as at first for a
    // column of -1. Rows that compare equal keep their order by name.
    void sortBy(int column, Qt::SortOrder order = Qt::AscendingOrder);
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // batch must already be sorted by FileRowLess.
    void mergeSorted(FileRows batch);

    // Marks the rows of these files (session and full path) as not sent by
    // the last run, each with why: the marks stay through refreshes until
    // clearFailures(), and come back on a row of the same file.
    void markFailures(const QHash<QPair<QString, QString>, QString>& reasons);
    void clearFailures();
    bool hasFailures() const { return !m_failures.isEmpty(); }

    const FileRows& rows() const { return m_rows; }
    const FileRow& row(int index) const { return m_rows.at(index); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell as the list shows it.
    static QString cellText(const FileRow& row, int column);

private:
    QString failureOf(const FileRow& row) const;
    bool less(const FileRow& a, const FileRow& b) const;
    // Puts the rows in this order of their present indices, and the
    // selection and current row with them.
    void reorder(const std::vector<int>& order);

    FileRows m_rows;
    QHash<QPair<QString, QString>, QString> m_failures; // (session, path) -> why
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    IconProvider m_iconProvider;
    QStringList m_headers;
};

} // namespace tarvo
