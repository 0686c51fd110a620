#include "platform/RoutingFileSystem.h"

#include "platform/DevicePaths.h"

namespace tarvo {

RoutingFileSystem::RoutingFileSystem(FileStore& local, FileStore& network)
    : m_local(local)
    , m_network(network)
{}

FileStore& RoutingFileSystem::storeFor(const QString& path)
{
    return DevicePaths::isNetworkPath(path) ? m_network : m_local;
}

bool RoutingFileSystem::canOpenForReading(const QString& path)
{
    return storeFor(path).canOpenForReading(path);
}

int RoutingFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    return storeFor(path).readAttributes(path, info);
}

int RoutingFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    return storeFor(folder).listFolder(folder, visit);
}

CopyOutcome RoutingFileSystem::copy(const CopyRequest& request)
{
    FileStore& from = storeFor(request.source);
    FileStore& to = storeFor(request.target);
    if (&from == &to)
        return from.copy(request);
    return copyAcrossStores(from, to, request);
}

int RoutingFileSystem::moveFile(const QString& source, const QString& target,
                                const FileInfo* copiedAs)
{
    FileStore& from = storeFor(source);
    FileStore& to = storeFor(target);
    if (&from == &to && from.canRename(source, target))
        return from.moveFile(source, target, copiedAs);
    return moveAcrossStores(from, source, to, target, copiedAs);
}

FileTime RoutingFileSystem::timeResolution(const QString& folder)
{
    return storeFor(folder).timeResolution(folder);
}

void RoutingFileSystem::runStarts()
{
    m_local.runStarts();
    m_network.runStarts();
}

quint64 RoutingFileSystem::resumableBytes(const QString& source, const FileInfo& version,
                                          const QString& target)
{
    return resumableAcrossStores(storeFor(source), storeFor(target), source, version, target);
}

int RoutingFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    return storeFor(path).deleteFile(path, copiedAs);
}

} // namespace tarvo
