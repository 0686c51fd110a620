#pragma once

#include "core/filelist/FileListModel.h"

#include <QTableView>

namespace tarvo {

class SystemImageList;

// The main list: a view of the rows of a FileListModel, which its owner fills,
// in five columns that share the list's width. A tap toggles the row under it
// and leaves every other row as it is, so taps build up a selection of several
// rows; Shift with a tap or an arrow key selects the rows from the last row
// tapped or moved to; the arrow keys move the current row and keep the
// selection; Space toggles the current row. There is no drag, no edit, no
// sorting by header.
class CFileListCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CFileListCtrl(FileListModel& model, QWidget* parent = nullptr);

    FileListModel& model() { return m_model; }
    const FileListModel& model() const { return m_model; }

    // Small icons for the rows; the large list is kept for views with big icons.
    void SetImageLists(const SystemImageList* small, const SystemImageList* large);

    // The five columns, in the proportions of the widths that the list's
    // client area gives now; from then on they share the list's width.
    void CreateColumns();

    // Selects every row when condition is true; changes nothing otherwise.
    void SelectAll(bool condition);
    // Every selected row becomes unselected and every other row selected.
    void InvertSelection();

    // Each column's share of the list's width, as the user left them; a
    // list of the wrong length is ignored.
    QList<double> columnShares() const { return m_columnShares; }
    void setColumnShares(const QList<double>& shares);
    // Sorts by the column (-1: by name, as at first) and shows it in the header.
    void sortBy(int column, Qt::SortOrder order);

    // The selected rows in list order.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Ends the range that Shift extends: what it selected stays selected.
    void commitSelection();
    void shareColumns();
    void fitRowsToFont();
    void columnResized(int column, int oldWidth, int newWidth);
    // A header click: by that column, then the other way, then by name again.
    void headerClicked(int column);

    FileListModel& m_model;
    const SystemImageList* m_largeIcons = nullptr;
    QList<double> m_columnShares; // each column's part of the client area's width
    bool m_sharingColumns = false;
};

} // namespace tarvo
