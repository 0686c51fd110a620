#pragma once

#include "core/filelist/FileRow.h"

#include <functional>
#include <QAbstractTableModel>
#include <QHash>
#include <QPair>

namespace tarvo {

// The rows of the main list, always sorted by name ignoring case. Rows come in
// sorted batches (one per folder) and are merged in; a selection made on the
// rows already there follows them to their new places.
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

    FileRows m_rows;
    QHash<QPair<QString, QString>, QString> m_failures; // (session, path) -> why
    IconProvider m_iconProvider;
    QStringList m_headers;
};

} // namespace tarvo
