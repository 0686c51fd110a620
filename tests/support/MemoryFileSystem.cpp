#include "tests/support/MemoryFileSystem.h"

#include "platform/ErrorCodes.h"

#include <algorithm>

namespace tarvo::test {

namespace {

using namespace PlatformError;

// The time a file gets where the times given are not kept.
constexpr FileTime ServerNow = MemoryFileSystem::DefaultTime + 864000000000ULL;

QString Normal(QString path)
{
    path.replace(u'/', u'\\');
    while (path.size() > 1 && path.endsWith(u'\\') && !path.endsWith(QLatin1String("\\\\")))
        path.chop(1);
    return path;
}

QString ParentOf(const QString& path)
{
    const QString normal = Normal(path);
    return normal.left(std::max<qsizetype>(normal.lastIndexOf(u'\\'), 1));
}

} // namespace

QString MemoryFileSystem::key(const QString& path)
{
    const QString normal = Normal(path);
    return normal.startsWith(QLatin1String("\\\\")) ? normal.toLower() : normal;
}

void MemoryFileSystem::addFolder(const QString& path)
{
    const QString normal = Normal(path);
    if (normal.isEmpty() || m_nodes.contains(key(normal)))
        return;
    const bool shareRoot = normal.startsWith(QLatin1String("\\\\")) && normal.count(u'\\') == 3;
    if (normal != QLatin1String("\\") && !shareRoot)
        addFolder(ParentOf(normal));
    m_nodes[key(normal)] = {normal, {}, {FileAttribute::Directory, 0, 0, DefaultTime, 0}};
}

void MemoryFileSystem::addFile(const QString& path, const QByteArray& data, FileTime lastWrite,
                               quint32 attributes)
{
    Lock lock(m_mutex); // a test may save a file again during a run
    addFolder(ParentOf(path));
    m_nodes[key(path)] = {
        Normal(path), data, {attributes, lastWrite, 0, lastWrite, quint64(data.size())}};
}

bool MemoryFileSystem::exists(const QString& path) const
{
    Lock lock(m_mutex);
    return m_nodes.contains(key(path));
}

QByteArray MemoryFileSystem::data(const QString& path) const
{
    Lock lock(m_mutex);
    return m_nodes.value(key(path)).data;
}

QStringList MemoryFileSystem::names(const QString& folder) const
{
    Lock lock(m_mutex);
    QStringList names;
    for (const Node& node : m_nodes) {
        if (key(ParentOf(node.path)) == key(folder) && key(node.path) != key(folder))
            names.append(node.path.mid(node.path.lastIndexOf(u'\\') + 1));
    }
    names.sort();
    return names;
}

QStringList MemoryFileSystem::journal() const
{
    Lock lock(m_mutex);
    return m_journal;
}

int MemoryFileSystem::takeFault(Op op, const QString& path, const QString& other)
{
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        const QString end = Normal(m_faults.at(i).pathEnd);
        const auto hit = [&](const QString& p) {
            return !p.isEmpty() && Normal(p).endsWith(end, Qt::CaseInsensitive);
        };
        if (m_faults.at(i).op == op && (hit(path) || hit(other)))
            return m_faults.takeAt(i).error;
    }
    return Success;
}

int MemoryFileSystem::find(const QString& path, const Node*& node) const
{
    const auto found = m_nodes.constFind(key(path));
    node = found == m_nodes.cend() ? nullptr : &*found;
    return node ? Success : m_nodes.contains(key(ParentOf(path))) ? FileNotFound : PathNotFound;
}

int MemoryFileSystem::sourceError(Op op, const QString& path, const QString& other,
                                  const FileInfo* copiedAs)
{
    const Node* node = nullptr;
    const int error = takeFault(op, path, other);
    if (error || find(path, node))
        return error ? error : find(path, node);
    return copiedAs && !SameVersion(node->info, *copiedAs) ? SourceChanged : Success;
}

int MemoryFileSystem::targetError(const QString& path) const
{
    const Node* node = nullptr;
    const int error = find(path, node);
    return node ? (node->info.isDirectory() ? AccessDenied : FileExists)
                : (error == FileNotFound ? Success : error);
}

int MemoryFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    Lock lock(m_mutex);
    const Node* node = nullptr;
    const int error = find(path, node);
    if (node)
        info = node->info;
    return error;
}

int MemoryFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    DirEntryList entries;
    {
        Lock lock(m_mutex);
        const Node* node = nullptr;
        const int error = takeFault(Op::List, folder);
        if (error || find(folder, node) || !node->info.isDirectory())
            return error ? error : PathNotFound;
        m_journal.append(QStringLiteral("list ") + Normal(folder));
        for (const QString& name : names(folder))
            entries.append({name, m_nodes.value(key(Normal(folder) + u'\\' + name)).info});
    }
    for (const DirEntry& entry : std::as_const(entries)) {
        if (!visit(entry))
            break;
    }
    return Success;
}

CopyOutcome MemoryFileSystem::copy(const CopyRequest& request)
{
    Node source;
    std::function<void(const QString&)> hook;
    {
        Lock lock(m_mutex);
        int error = sourceError(Op::Copy, request.source, request.target, request.copiedAs);
        const int target = targetError(request.target);
        if (!error && target && (target != FileExists || request.failIfExists))
            error = target;
        if (!error && request.cancel.cancelled())
            error = Cancelled;
        if (error)
            return CopyOutcome::failed(error);
        source = m_nodes.value(key(request.source));
        hook = m_blockHook;
    }
    for (quint64 done = 0; done < source.info.Size;) {
        if (request.cancel.cancelled())
            return CopyOutcome::failed(Cancelled);
        {
            Lock lock(m_mutex);
            if (m_writesLeft > 0 && --m_writesLeft == 0)
                return CopyOutcome::failed(m_writeError);
            done = std::min<quint64>(done + 64 * 1024, source.info.Size);
            if (m_changes.contains(key(request.source)))
                m_nodes[key(request.source)] = m_changes.take(key(request.source));
        }
        if (request.watcher)
            request.watcher->blockCopied(done, source.info.Size);
        if (hook)
            hook(request.source);
    }

    Lock lock(m_mutex);
    if (!SameVersion(m_nodes.value(key(request.source)).info, source.info))
        return CopyOutcome::failed(SourceChanged);
    Node& copied = m_nodes[key(request.target)];
    // A share keeps the letter case of a name it holds.
    copied = {copied.path.isEmpty() ? Normal(request.target) : copied.path, source.data,
              source.info};
    const FileTime ticks = m_ticks.value(key(ParentOf(request.target)), MicrosecondTicks);
    copied.info.LastWriteTime = ticks ? source.info.LastWriteTime / ticks * ticks : ServerNow;
    m_journal.append(QStringLiteral("copy %1 -> %2").arg(Normal(request.source), copied.path));
    return {Success, source.info};
}

int MemoryFileSystem::moveFile(const QString& source, const QString& target,
                               const FileInfo* copiedAs)
{
    Lock lock(m_mutex);
    if (const int error = sourceError(Op::Move, source, target, copiedAs))
        return error;
    if (const int error = targetError(target))
        return error;
    Node moved = m_nodes.take(key(source));
    moved.path = Normal(target);
    m_nodes[key(target)] = moved;
    m_journal.append(QStringLiteral("move %1 -> %2").arg(Normal(source), Normal(target)));
    return Success;
}

int MemoryFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    Lock lock(m_mutex);
    if (const int error = sourceError(Op::Delete, path, {}, copiedAs))
        return error;
    m_nodes.remove(key(path));
    m_journal.append(QStringLiteral("delete ") + Normal(path));
    return Success;
}

FileTime MemoryFileSystem::timeResolution(const QString& folder)
{
    Lock lock(m_mutex);
    return m_ticks.value(key(folder), MicrosecondTicks);
}

int MemoryFileSystem::addConnection(const QString& localName, const QString& remoteName,
                                    const QString&, const QString&, bool)
{
    Lock lock(m_mutex);
    if (remoteName.split(u'\\', Qt::SkipEmptyParts).size() != 2)
        return InvalidParameter; // no server or no share
    if (const int refused = m_refusals.value(key(remoteName)))
        return refused;
    m_connections[localName] = Normal(remoteName);
    m_journal.append(QStringLiteral("connect %1 %2").arg(localName, Normal(remoteName)));
    return Success;
}

int MemoryFileSystem::getConnection(const QString& localName, QString& remoteName)
{
    Lock lock(m_mutex);
    remoteName = m_connections.value(localName);
    return remoteName.isEmpty() ? NotConnected : Success;
}

int MemoryFileSystem::cancelConnection(const QString& name, bool, bool)
{
    Lock lock(m_mutex);
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it) {
        if (it.key() != name && key(it.value()) != key(name))
            continue;
        if (const int busy = takeFault(Op::Disconnect, it.key(), it.value()))
            return busy;
        m_journal.append(QStringLiteral("disconnect ") + it.key());
        m_connections.erase(it);
        return Success;
    }
    return NotConnected;
}

} // namespace tarvo::test
