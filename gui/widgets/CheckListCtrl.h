#pragma once

#include <QTreeWidget>

namespace tarvo {

class ImageList;

// A report list whose rows carry a tick drawn as a state icon at the left of
// the first column (state 1 unticked, state 2 ticked). A tap on the state icon
// toggles the tick; a tap elsewhere selects as usual, and a tap on the first
// column (or on a row without the focus) makes the row selected and current.
// Scrolling takes the keyboard focus first. The owner supplies the rows, the
// images and the meaning of the tick.
class CCheckListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    enum State { Unticked = 1, Ticked = 2 };

    struct Cell
    {
        int row = -1;
        int column = -1;
    };

    explicit CCheckListCtrl(QWidget* parent = nullptr);

    // stateImages: cell 0 unticked, cell 1 ticked; smallImages: row icons. Not owned.
    void setImageLists(const ImageList* smallImages, const ImageList* stateImages);
    // The state icons, cell 0 unticked and cell 1 ticked; null before
    // setImageLists().
    const ImageList* stateImages() const { return m_stateImages; }

    // Appends a row of texts with an image from the small images; unticked.
    int addRow(const QStringList& texts, int image = -1);
    void setRowImage(int row, int image);

    int state(int row) const;
    void setState(int row, int state);
    bool isTicked(int row) const { return state(row) == Ticked; }

    // The row and column under a viewport point, both -1 when there is none.
    // Columns are walked in index order from the row's left edge; a column
    // holds both of its edges.
    Cell HitTestCell(const QPoint& point) const;

    // Where a row's state icon is, in viewport coordinates.
    QRect stateIconRect(int row) const;

    // What a tap at a point of the viewport does.
    void tapAt(const QPoint& point);

signals:
    // A tap has toggled the tick of a row.
    void stateToggled(int row, int state);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void takeFocusForScrolling();

    const ImageList* m_smallImages = nullptr;
    const ImageList* m_stateImages = nullptr;
};

} // namespace tarvo
