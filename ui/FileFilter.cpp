#include "ui/FileFilter.h"

#include <QChar>
#include <QVarLengthArray>

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
    for (QChar c : text)
        folded.append(QChar::toCaseFolded(char32_t(c.unicode())));
    return folded;
}

bool Matches(char32_t p, char32_t s)
{
    return p == s || p == U'?';
}

} // namespace

bool MatchWildcard(QStringView patternText, QStringView nameText)
{
    const FoldedText pattern = FoldFast(patternText);
    const FoldedText name = FoldFast(nameText);
    const qsizetype pEnd = pattern.size();
    const qsizetype sEnd = name.size();
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
    const quint32 attributes = entry.Info.Attributes;
    if (attributes & FileAttribute::Directory)
        return settings.ShowFolder;

    static constexpr quint32 Tested[] = {FileAttribute::Archive, FileAttribute::Hidden,
                                         FileAttribute::ReadOnly, FileAttribute::System,
                                         FileAttribute::InRom};
    for (quint32 bit : Tested) {
        if ((attributes & bit) && !(settings.ShowAttributes & bit))
            return false;
    }
    return MatchPatternList(settings.Filter, entry.Name) != settings.FilterExclude;
}

} // namespace tarvo
