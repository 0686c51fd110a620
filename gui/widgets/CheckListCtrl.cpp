#include "gui/widgets/CheckListCtrl.h"

#include "gui/main/ImageLists.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace tarvo {

namespace {

constexpr int StateRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;
constexpr int StateIconSize = 16;

} // namespace

// Draws the state icon in front of the first column's own icon and text.
class CheckListDelegate : public QStyledItemDelegate
{
public:
    explicit CheckListDelegate(CCheckListCtrl& list)
        : QStyledItemDelegate(&list)
        , m_list(list)
    {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        if (index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem rest = option;
        rest.rect.setLeft(option.rect.left() + StateIconSize + 2);
        QStyledItemDelegate::paint(painter, rest, index);
        if (const ImageList* states = m_list.stateImages()) {
            const int cell = index.data(StateRole).toInt() == CCheckListCtrl::Ticked ? 1 : 0;
            const QPixmap picture = states->pixmap(cell);
            const int top = option.rect.top() + (option.rect.height() - picture.height()) / 2;
            painter->drawPixmap(option.rect.left(), top, picture);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (index.column() == 0)
            size.rwidth() += StateIconSize + 2;
        return size.expandedTo(QSize(0, StateIconSize + 2));
    }

private:
    CCheckListCtrl& m_list;
};

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
    setItemDelegate(new CheckListDelegate(*this));
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            &CCheckListCtrl::takeFocusForScrolling);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            &CCheckListCtrl::takeFocusForScrolling);
}

void CCheckListCtrl::setImageLists(const ImageList* smallImages, const ImageList* stateImages)
{
    m_smallImages = smallImages;
    m_stateImages = stateImages;
    for (int row = 0; row < topLevelItemCount(); ++row)
        setRowImage(row, topLevelItem(row)->data(0, ImageRole).toInt());
}

int CCheckListCtrl::addRow(const QStringList& texts, int image)
{
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, StateRole, Unticked);
    addTopLevelItem(item);
    const int row = topLevelItemCount() - 1;
    setRowImage(row, image);
    return row;
}

void CCheckListCtrl::setRowImage(int row, int image)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return;
    item->setData(0, ImageRole, image);
    item->setIcon(0, m_smallImages ? m_smallImages->icon(image) : QIcon());
}

int CCheckListCtrl::state(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, StateRole).toInt() : 0;
}

void CCheckListCtrl::setState(int row, int state)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setData(0, StateRole, state);
}

QRect CCheckListCtrl::stateIconRect(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return {};
    const QRect cell = visualItemRect(item);
    const int left = header()->sectionViewportPosition(0);
    return QRect(left, cell.top() + (cell.height() - StateIconSize) / 2, StateIconSize,
                 StateIconSize);
}

CCheckListCtrl::Cell CCheckListCtrl::HitTestCell(const QPoint& point) const
{
    const int rows = topLevelItemCount();
    QTreeWidgetItem* top = itemAt(QPoint(0, 0));
    if (!top || rows == 0)
        return {};
    // From the top visible row to the first row that is not fully visible.
    for (int row = indexOfTopLevelItem(top); row < rows; ++row) {
        const QRect bounds = visualItemRect(topLevelItem(row));
        if (bounds.top() >= viewport()->height())
            break;
        if (point.y() < bounds.top() || point.y() > bounds.bottom())
            continue;
        int left = -horizontalOffset();
        for (int column = 0; column < columnCount(); ++column) {
            const int right = left + header()->sectionSize(column);
            if (point.x() >= left && point.x() <= right)
                return {row, column};
            left = right;
        }
    }
    return {};
}

void CCheckListCtrl::tapAt(const QPoint& point)
{
    QTreeWidgetItem* item = itemAt(point);
    const int row = item ? indexOfTopLevelItem(item) : -1;
    if (row >= 0 && stateIconRect(row).contains(point)) {
        const int newState = state(row) == Ticked ? Unticked : Ticked;
        setState(row, newState);
        emit stateToggled(row, newState);
    }
    const Cell cell = HitTestCell(point);
    if (cell.row < 0)
        return;
    const QModelIndex index = model()->index(cell.row, 0);
    if (currentIndex().row() == cell.row && cell.column != 0)
        return;
    selectionModel()->setCurrentIndex(index,
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CCheckListCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(point);
    const bool onStateIcon = event->button() == Qt::LeftButton && item &&
                             stateIconRect(indexOfTopLevelItem(item)).contains(point);
    // A tap on the tick toggles it without the list's own selection handling.
    if (!onStateIcon)
        QTreeWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        tapAt(point);
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
