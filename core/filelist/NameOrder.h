#pragma once

#include <QStringView>
#include <vector>

namespace tarvo {

// The list's order of names (FileRowLess: letter case ignored, as
// QString::compare with Qt::CaseInsensitive folds it) for many names at once.
// Each name is folded once when it is added, so sorting compares plain
// numbers instead of folding both names again on every comparison.
class NameOrder
{
public:
    void reserve(qsizetype names, qsizetype units);

    // Adds the next name; its index is the number of names added before it.
    void add(QStringView name);

    qsizetype size() const { return qsizetype(m_names.size()); }

    // The indices of all names added, in list order; equal names keep the
    // order in which they were added.
    std::vector<quint32> sortedIndices() const;

private:
    struct Name
    {
        quint32 offset; // into m_folded
        quint32 length;
        quint32 index;
    };

    std::vector<char32_t> m_folded;
    std::vector<Name> m_names;
};

} // namespace tarvo
