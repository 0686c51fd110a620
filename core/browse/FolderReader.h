#pragma once

#include <optional>
#include <QString>
#include <QStringList>
#include <stop_token>

namespace tarvo {

class FileSystem;
struct DirEntry;

// What the folder browser reads from a file system: the subfolders of one
// folder, and whether a folder has any subfolder at all (the probe that
// decides whether a folder shows an expand button). Safe to use from worker
// threads as long as the FileSystem is.
class FolderReader
{
public:
    explicit FolderReader(FileSystem& files)
        : m_files(files)
    {}

    // The names of the folder's subfolders, sorted for the tree; nothing when
    // the folder cannot be listed. Stops early, with what it has, when cancel is set.
    std::optional<QStringList> subfolders(const QString& path,
                                          const std::stop_token& stop = {}) const;

    // True when the folder lists at least one subfolder; false also when it
    // cannot be listed. Stops at the first subfolder found.
    bool hasSubfolders(const QString& path) const;

    // A folder that the tree shows: a directory whose name stays inside its
    // parent ("." and ".." and names holding a separator never do).
    static bool isShownFolder(const DirEntry& entry);

    // The tree's order: by name, letter case ignored, as the user's locale sorts.
    static void sortNames(QStringList& names);

private:
    FileSystem& m_files;
};

} // namespace tarvo
