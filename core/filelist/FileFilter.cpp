#include "core/filelist/FileFilter.h"

#include <QChar>
#include <QVarLengthArray>
#include <string_view>

namespace tarvo {

namespace {

// Code points folded to one case, so "?" stands for one character even
// outside the Basic Multilingual Plane and case is ignored in every script.
using FoldedText = QVarLengthArray<char32_t, 128>;

FoldedText Fold(QStringView text)
{
    FoldedText folded;
    folded.reserve(text.size());
    for (char32_t c : text.toUcs4())
        folded.append(QChar::toCaseFolded(c));
    return folded;
}

FoldedText FoldFast(QStringView text)
{
    // Names without surrogate pairs skip the UCS-4 conversion.
    for (QChar c : text) {
        if (c.isSurrogate())
            return Fold(text);
    }
    FoldedText folded;
    folded.reserve(text.size());
    for (QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) // most names are plain ASCII: no table lookup
            folded.append(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit);
        else
            folded.append(QChar::toCaseFolded(char32_t(unit)));
    }
    return folded;
}

bool Matches(char32_t p, char32_t s)
{
    return p == s || p == U'?';
}

bool MatchFolded(std::u32string_view pattern, std::u32string_view name)
{
    const qsizetype pEnd = qsizetype(pattern.size());
    const qsizetype sEnd = qsizetype(name.size());
    qsizetype p = 0;
    qsizetype s = 0;

    // Up to the first star every character must match in place.
    while (s < sEnd && (p >= pEnd || pattern[p] != U'*')) {
        if (p >= pEnd || !Matches(pattern[p], name[s]))
            return false;
        ++p;
        ++s;
    }

    // After a star: one remembered position to go back to.
    qsizetype mp = 0;
    qsizetype cp = 0;
    while (s < sEnd) {
        if (p < pEnd && pattern[p] == U'*') {
            if (++p == pEnd)
                return true;
            mp = p;
            cp = s + 1;
        } else if (p < pEnd && Matches(pattern[p], name[s])) {
            ++p;
            ++s;
        } else {
            p = mp;
            s = cp++;
        }
    }

    while (p < pEnd && pattern[p] == U'*')
        ++p;
    return p == pEnd;
}

std::u32string_view View(const FoldedText& text)
{
    return {text.constData(), size_t(text.size())};
}

} // namespace

bool MatchWildcard(QStringView pattern, QStringView name)
{
    return MatchFolded(View(FoldFast(pattern)), View(FoldFast(name)));
}

bool MatchPatternList(const QString& patterns, const QString& name)
{
    for (QStringView piece : QStringView(patterns).split(u';')) {
        piece = piece.trimmed();
        if (!piece.isEmpty() && MatchWildcard(piece, name))
            return true;
    }
    return false;
}

bool PassesFilter(const DirEntry& entry, const Settings& settings)
{
    return EntryFilter(settings).passes(entry);
}

EntryFilter::EntryFilter(const Settings& settings)
    : m_showFolder(settings.ShowFolder)
    , m_showAttributes(settings.ShowAttributes)
    , m_exclude(settings.FilterExclude)
{
    for (QStringView piece : QStringView(settings.Filter).split(u';')) {
        piece = piece.trimmed();
        if (piece.isEmpty())
            continue;
        const FoldedText folded = FoldFast(piece);
        m_patterns.emplace_back(View(folded));
        m_matchesAll =
            m_matchesAll || m_patterns.back().find_first_not_of(U'*') == std::u32string::npos;
    }
}

bool EntryFilter::matchesPatterns(QStringView name) const
{
    if (m_matchesAll)
        return true;
    if (m_patterns.empty())
        return false;
    const FoldedText folded = FoldFast(name);
    for (const std::u32string& pattern : m_patterns) {
        if (MatchFolded(pattern, View(folded)))
            return true;
    }
    return false;
}

bool EntryFilter::passes(const DirEntry& entry) const
{
    const quint32 attributes = entry.Info.Attributes;
    if (attributes & FileAttribute::Directory)
        return m_showFolder;

    static constexpr quint32 Tested[] = {FileAttribute::Archive, FileAttribute::Hidden,
                                         FileAttribute::ReadOnly, FileAttribute::System,
                                         FileAttribute::InRom};
    for (quint32 bit : Tested) {
        if ((attributes & bit) && !(m_showAttributes & bit))
            return false;
    }
    return matchesPatterns(entry.Name) != m_exclude;
}

} // namespace tarvo
