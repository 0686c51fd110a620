#include "gui/widgets/ComboText.h"

#include <algorithm>
#include <QComboBox>
#include <QLineEdit>

namespace tarvo {

void MakeEditableCombo(QComboBox& box)
{
    box.setEditable(true);
    box.setInsertPolicy(QComboBox::NoInsert);
    box.setCompleter(nullptr);
    // Leaving the edit field would otherwise pick the entry equal to the typed
    // text, and in the session box replace every other field as if the user
    // had chosen that session from the list.
    QObject::disconnect(box.lineEdit(), &QLineEdit::editingFinished, &box, nullptr);
}

void AddSortedItems(QComboBox& box, QStringList items)
{
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    box.clear();
    box.addItems(items);
}

void SetComboText(QComboBox& box, const QString& text)
{
    box.setCurrentIndex(-1);
    box.setEditText(QString());
    if (text.isEmpty())
        return;
    // An exact entry wins, so that of "ab" and "AB" the right one is chosen.
    int index = box.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        index = box.findText(text, Qt::MatchStartsWith);
    if (index >= 0)
        box.setCurrentIndex(index);
    else
        box.setEditText(text);
}

} // namespace tarvo
