#pragma once

#include <optional>
#include <QByteArray>
#include <QString>

namespace tarvo {

// Replaces a file's contents with `bytes`, or leaves the file exactly as it
// was: the new contents go into a new file beside the old one (created
// exclusively, under a temporary name of the program's own), every write,
// the flush to the disk and the close are checked, and only then is the new
// file renamed over the old one. A full disk, a folder that cannot be
// written or a name that cannot be replaced keeps the old file byte for byte
// and leaves no temporary file. A path that is a symbolic link keeps being
// one: the file it points to is replaced.
//
// `mode`: the new file's permissions (0600 for a file that holds passwords);
// none keeps the old file's, and a new file gets what the umask allows of 0666.
// A file that exists but that its owner may not write is not replaced.
//
// Returns 0, or the PlatformError code that says why the file was not replaced.
int ReplaceFileContents(const QString& path, const QByteArray& bytes,
                        std::optional<unsigned> mode = std::nullopt);

} // namespace tarvo
