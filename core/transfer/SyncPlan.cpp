#include "core/transfer/SyncPlan.h"

#include "core/filelist/FileFilter.h"
#include "core/transfer/PostOperations.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <QSet>

namespace tarvo {

std::optional<QList<SyncTarget>> ListFolderFiles(FileSystem& files, const QString& folder)
{
    QList<SyncTarget> found;
    const int error = files.listFolder(folder, [&](const DirEntry& entry) {
        // A name that is no single entry of the folder ("..", "a\b") would
        // lead a delete out of it; a link or a pipe is no file of the mirror.
        if (entry.Info.isDirectory() || (entry.Info.Attributes & FileAttribute::NotPlain) ||
            !IsPlainFileName(entry.Name))
            return true;
        found.append({folder + entry.Name, entry.Info});
        return true;
    });
    if (error)
        return std::nullopt;
    return found;
}

SyncPlan::SyncPlan(QString folder, std::optional<QList<SyncTarget>> listing, QStringList carried,
                   QStringList patterns)
    : m_folder(std::move(folder))
    , m_listing(std::move(listing))
    , m_carried(std::move(carried))
    , m_patterns(std::move(patterns))
{
    if (!m_listing)
        return;
    for (qsizetype i = 0; i < m_listing->size(); ++i) {
        const QString name = m_listing->at(i).path.mid(m_folder.size());
        m_byName.insert(name, i);
        m_byFoldedName[name.toCaseFolded()].append(i);
    }
}

QString SyncPlan::caseProbe() const
{
    for (const QString& name : m_carried) {
        if (!m_byName.contains(name) && m_byFoldedName.contains(name.toCaseFolded()))
            return name;
    }
    return {};
}

std::optional<SyncTarget> SyncPlan::targetOf(const QString& fileName) const
{
    if (!m_listing)
        return std::nullopt;
    if (const auto exact = m_byName.constFind(fileName); exact != m_byName.cend())
        return m_listing->at(*exact);
    const QList<qsizetype> twins = m_byFoldedName.value(fileName.toCaseFolded());
    // A folder that ignores case holds at most one such file.
    if (twins.size() != 1 || !m_ignoresCase)
        return std::nullopt;
    return m_listing->at(twins.first());
}

QStringList SyncPlan::prunes() const
{
    if (!m_listing)
        return {};
    QSet<QString> carried;
    for (const QString& name : m_carried) {
        if (const std::optional<SyncTarget> target = targetOf(name))
            carried.insert(target->path);
    }
    QStringList dropped;
    for (const SyncTarget& file : *m_listing) {
        const QString name = file.path.mid(m_folder.size());
        const bool covered =
            m_patterns.isEmpty() ||
            std::any_of(m_patterns.cbegin(), m_patterns.cend(),
                        [&](const QString& pattern) { return MatchWildcard(pattern, name); });
        if (covered && !carried.contains(file.path))
            dropped.append(file.path);
    }
    return dropped;
}

SyncPlan::Step SyncPlan::Decide(bool targetExists, int syncMask, int remembered)
{
    if (!targetExists || (syncMask & SyncCompareMask))
        return Step::Copy;
    if (remembered == ReplaceYesToAll)
        return Step::Copy;
    if (remembered == ReplaceNoToAll)
        return Step::Keep;
    return Step::Ask;
}

bool SyncPlan::Answered(const ReplaceReply& reply, int& remembered)
{
    if (!reply.accepted)
        return false;
    remembered = reply.answer;
    return reply.answer == ReplaceYes || reply.answer == ReplaceYesToAll;
}

int SyncMask(const FileInfo& source, const FileInfo& target, FileTime resolution)
{
    int mask = CompareFileInfos(source, target) & SyncCompareMask;
    if ((mask & CompareBit::LastWrite) && resolution != 0) {
        const FileTime apart = source.LastWriteTime > target.LastWriteTime
                                   ? source.LastWriteTime - target.LastWriteTime
                                   : target.LastWriteTime - source.LastWriteTime;
        if (apart < resolution)
            mask &= ~CompareBit::LastWrite;
    }
    return mask;
}

} // namespace tarvo
