#include "gui/widgets/CheckListCtrl.h"

#include "gui/main/ImageLists.h"

#include <QHeaderView>
#include <QScrollBar>

namespace tarvo {

CCheckListCtrl::CCheckListCtrl(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            &CCheckListCtrl::takeFocusForScrolling);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            &CCheckListCtrl::takeFocusForScrolling);
}

int CCheckListCtrl::addRow(const QStringList& texts, int image)
{
    auto* item = new QTreeWidgetItem(texts);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    addTopLevelItem(item);
    const int row = topLevelItemCount() - 1;
    setRowImage(row, image);
    return row;
}

void CCheckListCtrl::setRowImage(int row, int image)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setIcon(0, m_images ? m_images->icon(image) : QIcon());
}

bool CCheckListCtrl::isTicked(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void CCheckListCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The tick is in the first column: the current row's Space reaches it
    // whichever column was clicked.
    if (current.isValid() && current.column() != 0) {
        selectionModel()->setCurrentIndex(current.siblingAtColumn(0),
                                          QItemSelectionModel::NoUpdate);
        return;
    }
    QTreeWidget::currentChanged(current, previous);
}

void CCheckListCtrl::wheelEvent(QWheelEvent* event)
{
    takeFocusForScrolling();
    QTreeWidget::wheelEvent(event);
}

void CCheckListCtrl::takeFocusForScrolling()
{
    if (!hasFocus())
        setFocus(Qt::OtherFocusReason);
}

} // namespace tarvo
