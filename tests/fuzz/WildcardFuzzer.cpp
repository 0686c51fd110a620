// Pattern matching never crashes or hangs on any pattern and name; a name
// always matches itself taken as a pattern, a pattern list matches exactly
// when one of its pieces does, and the list's filter agrees with it.
#include "core/filelist/FileFilter.h"

#include <cstdlib>
#include <QStringList>

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    // The first line is the pattern (or pattern list), the rest the name.
    const qsizetype newline = text.indexOf(u'\n');
    const QString pattern = newline < 0 ? text : text.left(newline);
    const QString name = newline < 0 ? text : text.mid(newline + 1);

    MatchWildcard(pattern, name); // never crashes or hangs, whatever it answers
    if (!name.isEmpty() && !MatchWildcard(name, name))
        std::abort();
    if (!name.isEmpty() && !MatchWildcard(QStringLiteral("*"), name))
        std::abort();

    bool anyPiece = false;
    for (const QString& piece : pattern.split(u';'))
        anyPiece = anyPiece || (!piece.trimmed().isEmpty() && MatchWildcard(piece.trimmed(), name));
    if (MatchPatternList(pattern, name) != anyPiece)
        std::abort();

    Settings settings;
    settings.Filter = pattern;
    settings.ShowAttributes = 0x7F;
    if (PassesFilter(DirEntry{name, {}}, settings) != anyPiece)
        std::abort();
    return 0;
}
