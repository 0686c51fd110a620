#pragma once

#include "platform/copy/FileStore.h"

namespace tarvo {

// The program's one FileSystem: device paths go to the local store, network
// paths to the share store, and copies and moves cross between them.
class RoutingFileSystem : public FileSystem
{
public:
    RoutingFileSystem(FileStore& local, FileStore& network);

    bool canOpenForReading(const QString& path) override;
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;
    FileTime timeResolution(const QString& folder) override;
    void runStarts() override;
    quint64 resumableBytes(const QString& source, const FileInfo& version,
                           const QString& target) override;

private:
    FileStore& storeFor(const QString& path);

    FileStore& m_local;
    FileStore& m_network;
};

} // namespace tarvo
