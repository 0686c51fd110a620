#pragma once

#include "config/Settings.h"
#include "platform/FileTypes.h"

#include <QString>
#include <QStringView>
#include <string>
#include <vector>

namespace tarvo {

// Whether the whole name matches one pattern: "*" any run of characters, "?"
// exactly one character, every other character itself regardless of case (in
// any script). "." is an ordinary character, so "*.*" needs a dot.
bool MatchWildcard(QStringView pattern, QStringView name);

// Whether the name matches any piece of a ";"-separated list; pieces are
// trimmed, and empty pieces match nothing.
bool MatchPatternList(const QString& patterns, const QString& name);

// Whether the main list shows the entry: folders by ShowFolder alone, files
// by the attribute mask and then the patterns (inverted by FilterExclude).
bool PassesFilter(const DirEntry& entry, const Settings& settings);

// PassesFilter for every entry of a listing: the patterns are split and
// folded once, and each name is folded once for all of them.
class EntryFilter
{
public:
    explicit EntryFilter(const Settings& settings);

    bool passes(const DirEntry& entry) const;

private:
    bool matchesPatterns(QStringView name) const;

    bool m_showFolder;
    quint32 m_showAttributes;
    bool m_exclude;
    std::vector<std::u32string> m_patterns; // folded, non-empty
    bool m_matchesAll = false;              // a pattern of stars alone
};

} // namespace tarvo
