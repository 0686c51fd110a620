#include "core/filelist/NameOrder.h"

#include <algorithm>
#include <QChar>

namespace tarvo {

namespace {

// One UTF-16 unit folded as a case-insensitive QString comparison folds it:
// a low surrogate after a high one stands for the whole code point.
char32_t FoldUnit(char16_t unit, char16_t previous)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
    if (QChar::isLowSurrogate(unit) && QChar::isHighSurrogate(previous))
        return QChar::toCaseFolded(QChar::surrogateToUcs4(previous, unit));
    return QChar::toCaseFolded(char32_t(unit));
}

} // namespace

void NameOrder::reserve(qsizetype names, qsizetype units)
{
    m_names.reserve(size_t(names));
    m_folded.reserve(size_t(units));
}

void NameOrder::add(QStringView name)
{
    const auto offset = quint32(m_folded.size());
    char16_t previous = 0;
    for (QChar c : name) {
        m_folded.push_back(FoldUnit(c.unicode(), previous));
        previous = c.unicode();
    }
    m_names.push_back({offset, quint32(name.size()), quint32(m_names.size())});
}

std::vector<quint32> NameOrder::sortedIndices() const
{
    std::vector<Name> names = m_names;
    const char32_t* folded = m_folded.data();
    std::stable_sort(names.begin(), names.end(), [folded](const Name& a, const Name& b) {
        return std::lexicographical_compare(folded + a.offset, folded + a.offset + a.length,
                                            folded + b.offset, folded + b.offset + b.length);
    });
    std::vector<quint32> indices;
    indices.reserve(names.size());
    for (const Name& name : names)
        indices.push_back(name.index);
    return indices;
}

} // namespace tarvo
