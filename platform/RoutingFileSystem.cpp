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

int RoutingFileSystem::copyFile(const QString& source, const QString& target, bool failIfExists)
{
    FileStore& from = storeFor(source);
    FileStore& to = storeFor(target);
    if (&from == &to)
        return from.copyFile(source, target, failIfExists);
    return copyAcrossStores(from, source, to, target, failIfExists);
}

int RoutingFileSystem::moveFile(const QString& source, const QString& target)
{
    FileStore& from = storeFor(source);
    FileStore& to = storeFor(target);
    if (&from == &to && from.canRename(source, target))
        return from.moveFile(source, target);
    return moveAcrossStores(from, source, to, target);
}

int RoutingFileSystem::deleteFile(const QString& path)
{
    return storeFor(path).deleteFile(path);
}

} // namespace tarvo
