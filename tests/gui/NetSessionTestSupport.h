#pragma once

#include "config/SessionTable.h"
#include "gui/options/NetSessionDlg.h"
#include "tests/support/QtPrinters.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace tarvo::test {

// Chooses an entry of a drop-down box as a user does: opens the list and
// clicks the entry.
inline bool ChooseItem(QComboBox& box, const QString& text)
{
    const int index = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    box.showPopup();
    QAbstractItemView* view = box.view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    return box.currentIndex() == index;
}

inline QLineEdit& EditOf(const CNetSessionDlg& dialog, SessionField field)
{
    return *qobject_cast<QLineEdit*>(dialog.control(field));
}

inline QComboBox& ComboOf(const CNetSessionDlg& dialog, SessionField field)
{
    return *qobject_cast<QComboBox*>(dialog.control(field));
}

// Replaces the text of a field by typing, as a user does.
inline void TypeInto(const CNetSessionDlg& dialog, SessionField field, const QString& text)
{
    QWidget* control = dialog.control(field);
    if (auto* box = qobject_cast<QComboBox*>(control))
        control = box->lineEdit();
    auto* edit = qobject_cast<QLineEdit*>(control);
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

inline QStringList ItemsOf(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    return items;
}

} // namespace tarvo::test
