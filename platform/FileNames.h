#pragma once

#include <QString>

namespace tarvo {

// The longest name of one folder entry that SMB and the usual local file
// systems allow, in UTF-16 code units.
inline constexpr qsizetype MaxFileNameLength = 255;

// True when a name that a folder listing gave can only mean one entry of that
// folder: not empty, not "." or "..", no "\" or "/" (the separators of the
// program's paths), no control character (a NUL would cut the name short on
// the way to the system) and not longer than any file system allows. Every
// path the program forms from a listed name goes through this check, so a
// listing can never lead a copy, move or delete out of its folder.
bool IsPlainFileName(const QString& name);

} // namespace tarvo
