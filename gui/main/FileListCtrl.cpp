#include "gui/main/FileListCtrl.h"

#include "core/filelist/FileListTexts.h"
#include "gui/main/ImageLists.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace tarvo {

CFileListCtrl::CFileListCtrl(FileListModel& model, QWidget* parent)
    : QTableView(parent)
    , m_model(model)
{
    setModel(&m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // One fixed row height keeps a list of many thousand rows quick to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setIconSize(QSize(16, 16));
}

void CFileListCtrl::SetImageLists(const SystemImageList* small, const SystemImageList* large)
{
    m_largeIcons = large;
    if (small) {
        setIconSize(QSize(small->iconSize(), small->iconSize()));
        m_model.setIconProvider([small](int index) { return QVariant(small->icon(index)); });
    } else {
        m_model.setIconProvider({});
    }
}

void CFileListCtrl::CreateColumns()
{
    // The client area: the viewport learns its size only when the list is shown.
    const QList<int> widths = FileListColumns::widths(width() - 2 * frameWidth());
    for (int column = 0; column < widths.size(); ++column)
        setColumnWidth(column, widths.at(column));
}

void CFileListCtrl::SelectAll(bool condition)
{
    if (!condition || m_model.rowCount() == 0)
        return;
    const QItemSelection all(m_model.index(0, 0),
                             m_model.index(m_model.rowCount() - 1, FileListColumns::Count - 1));
    selectionModel()->select(all, QItemSelectionModel::Select);
}

void CFileListCtrl::InvertSelection()
{
    if (m_model.rowCount() == 0)
        return;
    const QItemSelection all(m_model.index(0, 0),
                             m_model.index(m_model.rowCount() - 1, FileListColumns::Count - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle);
}

QList<int> CFileListCtrl::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CFileListCtrl::isRowSelected(int row) const
{
    return selectionModel()->isRowSelected(row, {});
}

void CFileListCtrl::tapAt(const QPoint& point)
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return;
    const int row = index.row();
    const auto command =
        (isRowSelected(row) ? QItemSelectionModel::Deselect : QItemSelectionModel::Select) |
        QItemSelectionModel::Rows;
    selectionModel()->select(m_model.index(row, 0), command);
    selectionModel()->setCurrentIndex(m_model.index(row, 0), QItemSelectionModel::NoUpdate);
}

void CFileListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTableView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    tapAt(event->position().toPoint());
    event->accept();
}

void CFileListCtrl::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging over rows neither selects them nor starts a drag.
    if (event->buttons() & Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void CFileListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CFileListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second tap is a tap of its own.
    mousePressEvent(event);
}

} // namespace tarvo
