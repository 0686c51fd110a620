#include "gui/main/FileListCtrl.h"

#include "core/filelist/FileListTexts.h"
#include "gui/main/ImageLists.h"

#include <numeric>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QStyleOptionHeader>

namespace tarvo {

namespace {

bool isMoveKey(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

// Widths in these shares of the total, each at least its minimum: a column
// whose share would be narrower gets its minimum, the others share the rest.
QList<int> ShareWidths(const QList<double>& shares, const QList<int>& minimums, int total)
{
    const qsizetype count = shares.size();
    QList<bool> atMinimum(count, false);
    QList<int> widths(count, 0);
    for (bool settled = false; !settled;) {
        settled = true;
        int rest = total;
        double restShares = 0;
        for (qsizetype i = 0; i < count; ++i) {
            if (atMinimum[i])
                rest -= minimums[i];
            else
                restShares += shares[i];
        }
        int given = 0;
        qsizetype last = -1;
        for (qsizetype i = 0; i < count; ++i) {
            if (atMinimum[i]) {
                widths[i] = minimums[i];
                continue;
            }
            widths[i] = restShares > 0 ? int(rest * shares[i] / restShares) : 0;
            given += widths[i];
            last = i;
        }
        if (last >= 0)
            widths[last] += rest - given; // the rounding goes to the last column
        for (qsizetype i = 0; i < count; ++i) {
            if (!atMinimum[i] && widths[i] < minimums[i]) {
                atMinimum[i] = true;
                settled = false;
            }
        }
    }
    return widths;
}

// Draws the rows that the last run could not send in red, so they stand out
// until the user refreshes the list.
class FailedRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(FileListModel::FailureRole).isValid()) {
            option->palette.setColor(QPalette::Text, Qt::red);
            option->font.setBold(true);
        }
    }
};

} // namespace

CFileListCtrl::CFileListCtrl(FileListModel& model, QWidget* parent)
    : QTableView(parent)
    , m_model(model)
{
    setModel(&m_model);
    setItemDelegate(new FailedRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setSortingEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setTextElideMode(Qt::ElideMiddle);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // One fixed row height keeps a list of many thousand rows quick to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowsToFont();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    setIconSize(QSize(16, 16));
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &CFileListCtrl::columnResized);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CFileListCtrl::headerClicked);
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
    // The client area: the viewport itself learns its size only when the list is shown.
    const QList<int> widths = FileListColumns::widths(contentsRect().width());
    const double sum = std::accumulate(widths.cbegin(), widths.cend(), 0.0);
    m_columnShares.clear();
    for (int width : widths)
        m_columnShares.append(sum > 0 ? width / sum : 1.0 / widths.size());
    shareColumns();
}

void CFileListCtrl::setColumnShares(const QList<double>& shares)
{
    if (shares.size() != FileListColumns::Count)
        return;
    m_columnShares = shares;
    shareColumns();
}

void CFileListCtrl::sortBy(int column, Qt::SortOrder order)
{
    m_model.sortBy(column, order);
    QHeaderView& header = *horizontalHeader();
    header.setSortIndicatorShown(m_model.sortColumn() >= 0);
    if (m_model.sortColumn() >= 0)
        header.setSortIndicator(m_model.sortColumn(), m_model.sortOrder());
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void CFileListCtrl::headerClicked(int column)
{
    if (column != m_model.sortColumn())
        sortBy(column, Qt::AscendingOrder);
    else if (m_model.sortOrder() == Qt::AscendingOrder)
        sortBy(column, Qt::DescendingOrder);
    else
        sortBy(-1, Qt::AscendingOrder);
}

void CFileListCtrl::shareColumns()
{
    if (m_columnShares.size() != FileListColumns::Count)
        return;
    // No column is narrower than its header,
    QList<int> minimums;
    const QHeaderView& header = *horizontalHeader();
    for (int column = 0; column < FileListColumns::Count; ++column) {
        QStyleOptionHeader option;
        option.initFrom(&header);
        option.section = column;
        option.text = m_model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        minimums.append(header.style()
                            ->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), &header)
                            .width());
    }
    // nor the date and size columns than a long date and a size of some gigabytes.
    const int cellMargins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) + 4;
    const auto fitText = [&](int column, const QString& text) {
        minimums[column] =
            qMax(minimums[column], fontMetrics().horizontalAdvance(text) + cellMargins);
    };
    fitText(FileListColumns::Date,
            QLocale::system().toString(QDate(2000, 12, 28), QLocale::ShortFormat));
    fitText(FileListColumns::Size, FileSizeText(Q_UINT64_C(9999999) * 1024));

    const QList<int> widths = ShareWidths(m_columnShares, minimums, viewport()->width());
    m_sharingColumns = true;
    for (int column = 0; column < widths.size(); ++column)
        setColumnWidth(column, widths.at(column));
    m_sharingColumns = false;
}

void CFileListCtrl::columnResized(int column, int, int newWidth)
{
    // A column that the user widens or narrows keeps its new share.
    if (m_sharingColumns || column >= m_columnShares.size() || viewport()->width() <= 0)
        return;
    m_columnShares[column] = double(newWidth) / viewport()->width();
}

void CFileListCtrl::fitRowsToFont()
{
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void CFileListCtrl::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitRowsToFont();
        shareColumns();
    }
}

bool CFileListCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        shareColumns();
    return QTableView::viewportEvent(event);
}

void CFileListCtrl::SelectAll(bool condition)
{
    if (!condition || m_model.rowCount() == 0)
        return;
    const QItemSelection all(m_model.index(0, 0),
                             m_model.index(m_model.rowCount() - 1, FileListColumns::Count - 1));
    selectionModel()->select(all, QItemSelectionModel::Select);
    commitSelection();
}

void CFileListCtrl::InvertSelection()
{
    if (m_model.rowCount() == 0)
        return;
    const QItemSelection all(m_model.index(0, 0),
                             m_model.index(m_model.rowCount() - 1, FileListColumns::Count - 1));
    selectionModel()->select(all, QItemSelectionModel::Toggle);
    commitSelection();
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

void CFileListCtrl::commitSelection()
{
    // The selection model keeps the range that Shift is extending apart from
    // the rest, and the next Shift range replaces it; a selection of nothing
    // without the Current flag makes that range part of the rest.
    selectionModel()->select(QItemSelection(), QItemSelectionModel::Select);
}

QItemSelectionModel::SelectionFlags CFileListCtrl::selectionCommand(const QModelIndex&,
                                                                    const QEvent* event) const
{
    const auto rows = QItemSelectionModel::Rows;
    if (!event) // the current row set by the program: the selection stays
        return QItemSelectionModel::NoUpdate;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space || key->key() == Qt::Key_Select)
            return QItemSelectionModel::Toggle | rows;
        if (isMoveKey(key->key()))
            return key->modifiers() & Qt::ShiftModifier ? QItemSelectionModel::SelectCurrent | rows
                                                        : QItemSelectionModel::NoUpdate;
        return QItemSelectionModel::NoUpdate;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return QItemSelectionModel::NoUpdate;
        return mouse->modifiers() & Qt::ShiftModifier ? QItemSelectionModel::SelectCurrent | rows
                                                      : QItemSelectionModel::Toggle | rows;
    }
    default:
        return QItemSelectionModel::NoUpdate;
    }
}

void CFileListCtrl::keyPressEvent(QKeyEvent* event)
{
    // A selects every row and I inverts the selection, as the buttons beside
    // the session box do.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && (event->key() == Qt::Key_A || event->key() == Qt::Key_I)) {
        if (event->key() == Qt::Key_A)
            SelectAll(true);
        else
            InvertSelection();
        event->accept();
        return;
    }
    // Moving without Shift starts a new range from the row moved to, and
    // keeps the rows of the one before.
    if (isMoveKey(event->key()) && !(event->modifiers() & Qt::ShiftModifier))
        commitSelection();
    QTableView::keyPressEvent(event);
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

void CFileListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A quick second tap is a tap of its own.
    mousePressEvent(event);
}

} // namespace tarvo
