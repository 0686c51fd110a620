#include "gui/widgets/CheckListCtrl.h"

#include "gui/main/ImageLists.h"

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace tarvo {
namespace {

class CheckListCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        checkBoxes = ImageList::fromStrip(":/res/bitmap140.xpm", 16, QColor(255, 0, 0));
        list->setColumnCount(3);
        list->setImageLists(nullptr, &checkBoxes);
        for (int i = 0; i < 40; ++i)
            list->addRow({QStringLiteral("Session %1").arg(i), "Put", "\\\\pc\\docs"});
        list->header()->resizeSection(0, 100);
        list->header()->resizeSection(1, 60);
        list->header()->resizeSection(2, 70);
        list->setGeometry(0, 0, 400, 200);
        other->setGeometry(0, 210, 100, 20);
        window.resize(400, 240);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    int rowTop(int row) const { return list->visualItemRect(list->topLevelItem(row)).top(); }

    ImageList checkBoxes;
    QWidget window;
    CCheckListCtrl* list = new CCheckListCtrl(&window);
    QLineEdit* other = new QLineEdit(&window);
};

TEST_F(CheckListCtrlTest, HitTestCellFindsRowAndColumnWithBothEdgesInside)
{
    const int y = rowTop(2) + 2;
    const struct
    {
        int x;
        int column;
    } cases[] = {{0, 0}, {100, 0}, {101, 1}, {160, 1}, {161, 2}, {230, 2}, {231, -1}};
    for (const auto& c : cases) {
        const CCheckListCtrl::Cell cell = list->HitTestCell(QPoint(c.x, y));
        EXPECT_EQ(cell.column, c.column) << "x " << c.x;
        EXPECT_EQ(cell.row, c.column < 0 ? -1 : 2) << "x " << c.x;
    }
    // Below the last visible row there is nothing; after scrolling, the rows move.
    EXPECT_EQ(list->HitTestCell(QPoint(10, list->viewport()->height() + 5)).row, -1);
    list->verticalScrollBar()->setValue(10);
    EXPECT_EQ(list->HitTestCell(QPoint(10, rowTop(12) + 2)).row, 12);
    // Scrolled sideways, column edges move with the rows.
    list->setGeometry(0, 0, 150, 200);
    list->horizontalScrollBar()->setValue(50);
    EXPECT_EQ(list->HitTestCell(QPoint(51, rowTop(12) + 2)).column, 1);
}

TEST_F(CheckListCtrlTest, ATapOnTheStateIconTogglesTheTickAndOnlyThat)
{
    QSignalSpy toggled(list, &CCheckListCtrl::stateToggled);
    EXPECT_EQ(list->state(3), CCheckListCtrl::Unticked);
    const QPoint onIcon = list->stateIconRect(3).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onIcon);
    EXPECT_TRUE(list->isTicked(3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onIcon);
    EXPECT_EQ(list->state(3), CCheckListCtrl::Unticked);
    ASSERT_EQ(toggled.size(), 2);
    EXPECT_EQ(toggled.at(0).at(1).toInt(), int(CCheckListCtrl::Ticked));

    // A tap on the row's text selects it without touching the tick.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(130, rowTop(5) + 3));
    EXPECT_EQ(list->state(5), CCheckListCtrl::Unticked);
    EXPECT_EQ(list->currentIndex().row(), 5);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(5, {}));
    EXPECT_EQ(toggled.size(), 2);
}

TEST_F(CheckListCtrlTest, ScrollingTakesTheKeyboardFocusFirst)
{
    window.activateWindow();
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->hasFocus(); }, 2000));
    list->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }, 2000));
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
}

} // namespace
} // namespace tarvo
