#include "core/transfer/DryRunFileSystem.h"

#include "config/PathHelpers.h"
#include "platform/ErrorCodes.h"

namespace tarvo {

namespace {

// Whether the folder that would hold the target is there: a copy or move
// into a missing folder fails, and the dry run says so as the send would.
int folderOf(FileSystem& files, const QString& target)
{
    FileInfo folder;
    if (int error = files.readAttributes(SplitPath(target).folder, folder))
        return error == PlatformError::FileNotFound ? PlatformError::PathNotFound : error;
    return folder.isDirectory() ? PlatformError::Success : PlatformError::PathNotFound;
}

} // namespace

DryRunFileSystem::DryRunFileSystem(FileSystem& files)
    : m_files(files)
{}

bool DryRunFileSystem::canOpenForReading(const QString& path)
{
    return m_files.canOpenForReading(path);
}

int DryRunFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    return m_files.readAttributes(path, info);
}

int DryRunFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    return m_files.listFolder(folder, visit);
}

quint64 DryRunFileSystem::resumableBytes(const QString& source, const FileInfo& version,
                                         const QString& target)
{
    return m_files.resumableBytes(source, version, target);
}

FileTime DryRunFileSystem::timeResolution(const QString& folder)
{
    return m_files.timeResolution(folder);
}

CopyOutcome DryRunFileSystem::copy(const CopyRequest& request)
{
    FileInfo source;
    if (int error = m_files.readAttributes(request.source, source))
        return CopyOutcome::failed(error);
    if (source.isDirectory())
        return CopyOutcome::failed(PlatformError::AccessDenied);
    if (int error = folderOf(m_files, request.target))
        return CopyOutcome::failed(error);
    std::optional<FileTime> targetTime;
    int refusal = PlatformError::Success;
    const bool exists = holdsName(request.target, &targetTime, &refusal);
    if (refusal)
        return CopyOutcome::failed(refusal);
    if (exists && request.failIfExists)
        return CopyOutcome::failed(PlatformError::FileExists);
    return {PlatformError::Success, source, exists, targetTime,
            m_files.resumableBytes(request.source, source, request.target)};
}

int DryRunFileSystem::moveFile(const QString& source, const QString& target, const FileInfo*)
{
    FileInfo info;
    if (int error = m_files.readAttributes(source, info))
        return error;
    int refusal = PlatformError::Success;
    if (holdsName(target, nullptr, &refusal))
        return PlatformError::FileExists;
    return refusal ? refusal : folderOf(m_files, target);
}

bool DryRunFileSystem::holdsName(const QString& target, std::optional<FileTime>* time, int* refusal)
{
    {
        // A file that the dry run has pruned is gone for what follows.
        std::lock_guard lock(m_mutex);
        if (m_removed.contains(target))
            return false;
    }
    // A look finds the file as the folder compares names (a share finds
    // REPORT.TXT for report.txt); the listing shows one that a look cannot
    // see, by its exact name.
    FileInfo info;
    const int error = m_files.readAttributes(target, info);
    if (error == PlatformError::Success) {
        if (time)
            *time = info.LastWriteTime;
        return true;
    }
    // A name that the store refuses even to look at, it refuses to write.
    if (error == PlatformError::InvalidName) {
        if (refusal)
            *refusal = error;
        return false;
    }
    if (m_files.canOpenForReading(target))
        return true;
    const SplitPathResult parts = SplitPath(target);
    std::lock_guard lock(m_mutex);
    auto listed = m_listed.find(parts.folder);
    if (listed == m_listed.end()) {
        QSet<QString> names;
        m_files.listFolder(parts.folder, [&names](const DirEntry& entry) {
            names.insert(entry.Name);
            return true;
        });
        listed = m_listed.insert(parts.folder, names);
    }
    return listed->contains(parts.fileName);
}

int DryRunFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    FileInfo info;
    if (int error = m_files.readAttributes(path, info))
        return error;
    Q_UNUSED(copiedAs);
    std::lock_guard lock(m_mutex);
    m_removed.insert(path);
    return PlatformError::Success;
}

} // namespace tarvo
