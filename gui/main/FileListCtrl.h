#pragma once

#include "core/filelist/FileListModel.h"

#include <QTableView>

namespace tarvo {

class SystemImageList;

// The main list: a view of the rows of a FileListModel, which its owner fills,
// in five columns. A tap toggles the row under it and leaves every other row
// as it is, so taps build up a selection of several rows; there is no drag,
// no edit, no sorting by header.
class CFileListCtrl : public QTableView
{
    Q_OBJECT

public:
    explicit CFileListCtrl(FileListModel& model, QWidget* parent = nullptr);

    FileListModel& model() { return m_model; }
    const FileListModel& model() const { return m_model; }

    // Small icons for the rows; the large list is kept for views with big icons.
    void SetImageLists(const SystemImageList* small, const SystemImageList* large);

    // The five columns, sized from the width of the client area now.
    void CreateColumns();

    // Selects every row when condition is true; changes nothing otherwise.
    void SelectAll(bool condition);
    // Every selected row becomes unselected and every other row selected.
    void InvertSelection();

    // The selected rows in list order.
    QList<int> selectedRows() const;
    bool isRowSelected(int row) const;

    // What a tap at a point of the list's viewport does.
    void tapAt(const QPoint& point);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    FileListModel& m_model;
    const SystemImageList* m_largeIcons = nullptr;
};

} // namespace tarvo
