#pragma once

#include "platform/copy/FileStore.h"
#include "platform/copy/PartNames.h"
#include "platform/DevicePaths.h"

#include <sys/stat.h>

namespace tarvo {

// The device's files: device paths ("\My Documents\a.txt") under the device
// root. Attributes are the few that a Linux file has: folder, read-only when
// the owner cannot write, hidden when the name starts with ".".
class LocalFileSystem : public FileStore
{
public:
    explicit LocalFileSystem(DevicePaths paths);

    const DevicePaths& paths() const { return m_paths; }

    bool canOpenForReading(const QString& path) override;
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;

    int openSource(const QString& path, std::unique_ptr<SourceFile>& file) override;
    int createPart(const QString& target, bool alone, const ResumeNote* resume,
                   std::unique_ptr<PartFile>& file) override;
    quint64 resumablePart(const QString& target, const ResumeNote& copy) override;
    quint64 resumableBytes(const QString& source, const FileInfo& version,
                           const QString& target) override
    {
        return resumableAcrossStores(*this, *this, source, version, target);
    }
    bool canRename(const QString&, const QString&) const override { return true; }
    qint64 copyBufferSize() const override { return 1 << 20; }
    void runStarts() override { m_sweeps.forget(); }

    // The attributes of a file whose status is known, named name.
    static FileInfo infoFromStat(const struct statx& status, const QByteArray& name);

private:
    QByteArray native(const QString& path) const;
    // Removes what dead runs of the program left in the folder.
    void sweepLeftovers(const QByteArray& folder);

    DevicePaths m_paths;
    LeftoverSweeps m_sweeps;
    ResumableParts m_resumable;
};

} // namespace tarvo
