#pragma once

#include "core/filelist/FileRow.h"

#include <functional>
#include <QAbstractTableModel>

namespace tarvo {

// The rows of the main list, always sorted by name ignoring case. Rows come in
// sorted batches (one per folder) and are merged in; a selection made on the
// rows already there follows them to their new places.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using IconProvider = std::function<QVariant(int iconIndex)>;

    explicit FileListModel(QObject* parent = nullptr);

    // The window supplies the pictures; the model knows only indices.
    void setIconProvider(IconProvider provider);

    void clear();
    // batch must already be sorted by FileRowLess.
    void mergeSorted(FileRows batch);

    const FileRows& rows() const { return m_rows; }
    const FileRow& row(int index) const { return m_rows.at(index); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of a cell as the list shows it.
    static QString cellText(const FileRow& row, int column);

private:
    FileRows m_rows;
    IconProvider m_iconProvider;
    QStringList m_headers;
};

} // namespace tarvo
