#pragma once

#include <QTreeWidget>

namespace tarvo {

class ImageList;

// A report list whose rows carry a tick: Qt's own check box at the left of
// the first column, toggled by a click on it or by Space on the current row.
// Scrolling takes the keyboard focus first. The owner supplies the rows, the
// icons and the meaning of the tick.
class CCheckListCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);

    // The row icons, for rows added from now on. Not owned.
    void setImageList(const ImageList* images) { m_images = images; }

    // Appends an unticked row of texts with an icon from the image list.
    int addRow(const QStringList& texts, int image = -1);
    void setRowImage(int row, int image);

    bool isTicked(int row) const;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void takeFocusForScrolling();

    const ImageList* m_images = nullptr;
};

} // namespace tarvo
