#pragma once

#include "config/Settings.h"
#include "platform/FileTypes.h"

#include <QString>
#include <QStringView>

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

} // namespace tarvo
