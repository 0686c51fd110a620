#include "tests/support/MemoryFileSystem.h"

#include "platform/ErrorCodes.h"

namespace tarvo::test {

namespace {

// The time a file gets where the times given are not kept.
constexpr FileTime ServerNow = MemoryFileSystem::DefaultTime + 864000000000ULL;

QString Normal(const QString& path)
{
    QString normal = path;
    normal.replace(u'/', u'\\');
    while (normal.size() > 1 && normal.endsWith(u'\\') && !normal.endsWith(QLatin1String("\\\\")))
        normal.chop(1);
    return normal;
}

} // namespace

QString MemoryFileSystem::key(const QString& path)
{
    const QString normal = Normal(path);
    return normal.startsWith(QLatin1String("\\\\")) ? normal.toLower() : normal;
}

QString MemoryFileSystem::parentOf(const QString& path)
{
    const QString normal = Normal(path);
    const qsizetype slash = normal.lastIndexOf(u'\\');
    return slash <= 0 ? QStringLiteral("\\") : normal.left(slash);
}

void MemoryFileSystem::addFolder(const QString& path)
{
    std::lock_guard lock(m_mutex);
    const QString normal = Normal(path);
    if (normal.isEmpty() || m_nodes.count(key(normal)))
        return;
    // A share's root ("\\server\share") has no parent to make.
    const bool shareRoot = normal.startsWith(QLatin1String("\\\\")) && normal.count(u'\\') <= 3;
    if (normal != QLatin1String("\\") && !shareRoot)
        addFolder(parentOf(normal));
    Node folder{normal, {}, {}};
    folder.info.Attributes = FileAttribute::Directory;
    folder.info.LastWriteTime = DefaultTime;
    m_nodes[key(normal)] = folder;
}

void MemoryFileSystem::addFile(const QString& path, const QByteArray& data, FileTime lastWrite,
                               quint32 attributes)
{
    std::lock_guard lock(m_mutex);
    addFolder(parentOf(path));
    Node file{Normal(path), data, {}};
    file.info.Attributes = attributes;
    file.info.LastWriteTime = lastWrite;
    file.info.CreationTime = lastWrite;
    file.info.Size = quint64(data.size());
    m_nodes[key(path)] = file;
}

void MemoryFileSystem::remove(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_nodes.erase(key(path));
}

bool MemoryFileSystem::exists(const QString& path) const
{
    std::lock_guard lock(m_mutex);
    return m_nodes.count(key(path)) > 0;
}

QByteArray MemoryFileSystem::data(const QString& path) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_nodes.find(key(path));
    return found == m_nodes.end() ? QByteArray() : found->second.data;
}

FileInfo MemoryFileSystem::info(const QString& path) const
{
    std::lock_guard lock(m_mutex);
    const auto found = m_nodes.find(key(path));
    return found == m_nodes.end() ? FileInfo() : found->second.info;
}

QStringList MemoryFileSystem::names(const QString& folder) const
{
    std::lock_guard lock(m_mutex);
    QStringList names;
    const QString parent = key(folder);
    for (const auto& [nodeKey, node] : m_nodes) {
        if (nodeKey != parent && key(parentOf(node.path)) == parent)
            names.append(node.path.mid(node.path.lastIndexOf(u'\\') + 1));
    }
    names.sort();
    return names;
}

QStringList MemoryFileSystem::journal() const
{
    std::lock_guard lock(m_mutex);
    return m_journal;
}

void MemoryFileSystem::clearJournal()
{
    std::lock_guard lock(m_mutex);
    m_journal.clear();
}

void MemoryFileSystem::failNext(Op op, const QString& pathEnd, int error)
{
    std::lock_guard lock(m_mutex);
    m_faults.append({op, Normal(pathEnd), error});
}

void MemoryFileSystem::failWrite(int nth, int error)
{
    std::lock_guard lock(m_mutex);
    m_writesUntilFailure = nth;
    m_writeError = error;
}

void MemoryFileSystem::changeDuringCopy(const QString& path, const QByteArray& data,
                                        FileTime lastWrite)
{
    std::lock_guard lock(m_mutex);
    m_changes[key(path)] = {data, lastWrite};
}

void MemoryFileSystem::setBlockHook(std::function<void(const QString&, quint64)> hook)
{
    std::lock_guard lock(m_mutex);
    m_blockHook = std::move(hook);
}

void MemoryFileSystem::setTimeResolution(const QString& folderPrefix, FileTime ticks)
{
    std::lock_guard lock(m_mutex);
    m_resolutions[key(folderPrefix)] = ticks;
}

void MemoryFileSystem::refuseConnection(const QString& remoteName, int error)
{
    std::lock_guard lock(m_mutex);
    m_refusals[key(remoteName)] = error;
}

int MemoryFileSystem::takeFault(Op op, const QString& path, const QString& other)
{
    const auto matches = [](const QString& candidate, const QString& end) {
        return !candidate.isEmpty() && Normal(candidate).endsWith(end, Qt::CaseInsensitive);
    };
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        const Fault fault = m_faults.at(i);
        if (fault.op == op && (matches(path, fault.pathEnd) || matches(other, fault.pathEnd))) {
            m_faults.removeAt(i);
            return fault.error;
        }
    }
    return PlatformError::Success;
}

int MemoryFileSystem::writeBlockLocked()
{
    if (m_writesUntilFailure > 0 && --m_writesUntilFailure == 0)
        return m_writeError;
    return PlatformError::Success;
}

FileTime MemoryFileSystem::keptTimeLocked(const QString& folder, FileTime time) const
{
    const FileTime ticks = resolutionLocked(folder);
    if (ticks == 0)
        return ServerNow;
    return time - time % ticks;
}

bool MemoryFileSystem::canOpenForReading(const QString& path)
{
    return exists(path);
}

int MemoryFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    std::lock_guard lock(m_mutex);
    if (const int error = takeFault(Op::Attributes, path))
        return error;
    const auto found = m_nodes.find(key(path));
    if (found == m_nodes.end())
        return PlatformError::FileNotFound;
    info = found->second.info;
    return PlatformError::Success;
}

int MemoryFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    DirEntryList entries;
    {
        std::lock_guard lock(m_mutex);
        if (const int error = takeFault(Op::List, folder))
            return error;
        const auto found = m_nodes.find(key(folder));
        if (found == m_nodes.end() || !found->second.info.isDirectory())
            return PlatformError::PathNotFound;
        log(QStringLiteral("list ") + Normal(folder));
        for (const QString& name : names(folder))
            entries.append({name, m_nodes.at(key(Normal(folder) + u'\\' + name)).info});
    }
    for (const DirEntry& entry : std::as_const(entries)) {
        if (!visit(entry))
            break;
    }
    return PlatformError::Success;
}

CopyOutcome MemoryFileSystem::copy(const CopyRequest& request)
{
    Node source;
    std::function<void(const QString&, quint64)> hook;
    {
        std::lock_guard lock(m_mutex);
        if (const int error = takeFault(Op::Copy, request.source, request.target))
            return CopyOutcome::failed(error);
        if (request.cancel.cancelled())
            return CopyOutcome::failed(PlatformError::Cancelled);
        const auto found = m_nodes.find(key(request.source));
        if (found == m_nodes.end() || found->second.info.isDirectory())
            return CopyOutcome::failed(PlatformError::FileNotFound);
        source = found->second;
        if (request.copiedAs && !SameVersion(source.info, *request.copiedAs))
            return CopyOutcome::failed(PlatformError::SourceChanged);
        const auto target = m_nodes.find(key(request.target));
        if (target != m_nodes.end() && (request.failIfExists || target->second.info.isDirectory()))
            return CopyOutcome::failed(target->second.info.isDirectory()
                                           ? int(PlatformError::AccessDenied)
                                           : int(PlatformError::FileExists));
        const auto folder = m_nodes.find(key(parentOf(request.target)));
        if (folder == m_nodes.end() || !folder->second.info.isDirectory())
            return CopyOutcome::failed(PlatformError::PathNotFound);
        hook = m_blockHook;
    }

    // The blocks, each looked at by the watcher and the test's hook with no
    // lock held, as a real copy's are.
    const quint64 size = source.info.Size;
    for (quint64 done = 0; done < size;) {
        if (request.cancel.cancelled())
            return CopyOutcome::failed(PlatformError::Cancelled);
        {
            std::lock_guard lock(m_mutex);
            if (const int error = writeBlockLocked())
                return CopyOutcome::failed(error);
            done = std::min<quint64>(done + BlockSize, size);
            const auto change = m_changes.find(key(request.source));
            if (change != m_changes.end()) {
                Node& changed = m_nodes[key(request.source)];
                changed.data = change->second.data;
                changed.info.Size = quint64(changed.data.size());
                changed.info.LastWriteTime = change->second.lastWrite;
                m_changes.erase(change);
            }
        }
        if (request.watcher)
            request.watcher->blockCopied(done, size);
        if (hook)
            hook(request.source, done);
    }

    std::lock_guard lock(m_mutex);
    const auto now = m_nodes.find(key(request.source));
    if (now == m_nodes.end() || !SameVersion(now->second.info, source.info))
        return CopyOutcome::failed(PlatformError::SourceChanged);
    if (request.failIfExists && m_nodes.count(key(request.target)))
        return CopyOutcome::failed(PlatformError::FileExists);
    Node copied{Normal(request.target), source.data, source.info};
    const auto old = m_nodes.find(key(request.target));
    if (old != m_nodes.end())
        copied.path = old->second.path; // a share keeps the name's old letter case
    copied.info.LastWriteTime = keptTimeLocked(parentOf(request.target), source.info.LastWriteTime);
    m_nodes[key(request.target)] = copied;
    log(QStringLiteral("copy %1 -> %2").arg(Normal(request.source), Normal(request.target)));
    return {PlatformError::Success, source.info};
}

int MemoryFileSystem::moveFile(const QString& source, const QString& target,
                               const FileInfo* copiedAs)
{
    std::lock_guard lock(m_mutex);
    if (const int error = takeFault(Op::Move, source, target))
        return error;
    const auto found = m_nodes.find(key(source));
    if (found == m_nodes.end())
        return PlatformError::FileNotFound;
    if (copiedAs && !SameVersion(found->second.info, *copiedAs))
        return PlatformError::SourceChanged;
    if (m_nodes.count(key(target)))
        return PlatformError::FileExists;
    if (!m_nodes.count(key(parentOf(target))))
        return PlatformError::PathNotFound;
    Node moved = found->second;
    moved.path = Normal(target);
    m_nodes.erase(found);
    m_nodes[key(target)] = moved;
    log(QStringLiteral("move %1 -> %2").arg(Normal(source), Normal(target)));
    return PlatformError::Success;
}

int MemoryFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    std::lock_guard lock(m_mutex);
    if (const int error = takeFault(Op::Delete, path))
        return error;
    const auto found = m_nodes.find(key(path));
    if (found == m_nodes.end())
        return PlatformError::FileNotFound;
    if (copiedAs && !SameVersion(found->second.info, *copiedAs))
        return PlatformError::SourceChanged;
    m_nodes.erase(found);
    log(QStringLiteral("delete ") + Normal(path));
    return PlatformError::Success;
}

FileTime MemoryFileSystem::timeResolution(const QString& folder)
{
    std::lock_guard lock(m_mutex);
    return resolutionLocked(folder);
}

FileTime MemoryFileSystem::resolutionLocked(const QString& folder) const
{
    const QString folderKey = key(folder);
    FileTime ticks = MicrosecondTicks;
    qsizetype longest = -1;
    for (const auto& [prefix, resolution] : m_resolutions) {
        if (folderKey.startsWith(prefix) && prefix.size() > longest) {
            longest = prefix.size();
            ticks = resolution;
        }
    }
    return ticks;
}

int MemoryFileSystem::addConnection(const QString& localName, const QString& remoteName,
                                    const QString& userName, const QString& password, bool remember)
{
    Q_UNUSED(userName);
    Q_UNUSED(password);
    Q_UNUSED(remember);
    std::lock_guard lock(m_mutex);
    if (const int error = takeFault(Op::Connect, remoteName))
        return error;
    const auto refused = m_refusals.find(key(remoteName));
    if (refused != m_refusals.end())
        return refused->second;
    m_connections[localName] = Normal(remoteName);
    log(QStringLiteral("connect %1 %2").arg(localName, Normal(remoteName)));
    return PlatformError::Success;
}

int MemoryFileSystem::getConnection(const QString& localName, QString& remoteName)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_connections.find(localName);
    if (found == m_connections.end())
        return PlatformError::NotConnected;
    remoteName = found->second;
    return PlatformError::Success;
}

int MemoryFileSystem::cancelConnection(const QString& name, bool remember, bool force)
{
    Q_UNUSED(remember);
    Q_UNUSED(force);
    std::lock_guard lock(m_mutex);
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it->first == name || key(it->second) == key(name)) {
            log(QStringLiteral("disconnect ") + it->first);
            m_connections.erase(it);
            return PlatformError::Success;
        }
    }
    return PlatformError::NotConnected;
}

} // namespace tarvo::test
