#pragma once

#include "platform/FileTypes.h"

#include <functional>

namespace tarvo {

// The files and folders that sessions work on. Paths are the program's own:
// device paths ("\My Documents\a.txt", "/" accepted as well) name files under
// the device root, network paths ("\\server\share\folder\a.txt") name files on
// SMB shares. Every operation returns 0 or a PlatformError code, with the same
// codes on both kinds of path.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // True when the path names an existing file (or folder) that can be opened for reading.
    virtual bool canOpenForReading(const QString& path) = 0;

    virtual int readAttributes(const QString& path, FileInfo& info) = 0;

    // Calls visit for every entry of the folder ("." and ".." never), in the order
    // that the file system gives them, until visit returns false. Fails when the
    // folder cannot be listed; an empty folder lists nothing and succeeds.
    using Visitor = std::function<bool(const DirEntry&)>;
    virtual int listFolder(const QString& folder, const Visitor& visit) = 0;

    // A copy keeps the source's last-write time and never leaves a partial
    // target: it writes beside the target and renames into place.
    virtual int copyFile(const QString& source, const QString& target, bool failIfExists) = 0;

    // Fails with FileExists when the target exists.
    virtual int moveFile(const QString& source, const QString& target) = 0;

    virtual int deleteFile(const QString& path) = 0;

    // Convenience: the whole listing as a list.
    int listFolder(const QString& folder, DirEntryList& entries)
    {
        return listFolder(folder, [&entries](const DirEntry& entry) {
            entries.append(entry);
            return true;
        });
    }
};

} // namespace tarvo
