#pragma once

#include <QStringList>

class QComboBox;

namespace tarvo {

// An editable drop-down box as the Options dialogs use it: the user may type
// any text, and what is typed is kept exactly (no completion, no new entries,
// no entry picked for it). Only choosing from the list or Enter selects.
void MakeEditableCombo(QComboBox& box);

// Adds entries so that the box shows them sorted, letter case ignored.
void AddSortedItems(QComboBox& box, QStringList items);

// Puts a text into the box: selects the entry equal to it, else the first
// entry that begins with it (letter case ignored), else shows the text in the
// edit field. An empty text selects nothing and leaves the edit field empty.
void SetComboText(QComboBox& box, const QString& text);

} // namespace tarvo
