#include "core/transfer/SyncTargets.h"

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

namespace tarvo {

SyncTargets::SyncTargets(FileSystem& files, QString targetFolder,
                         std::optional<FolderSnapshot> listed, QStringList order)
    : m_files(files)
    , m_folder(std::move(targetFolder))
    , m_listed(std::move(listed))
    , m_order(m_listed ? std::move(order) : QStringList())
{
    for (const QString& path : m_order)
        m_byFoldedName[path.mid(m_folder.size()).toCaseFolded()].append(path);
}

std::optional<ReplaceFile> SyncTargets::targetOf(const QString& fileName)
{
    if (!m_listed)
        return std::nullopt;
    const QString exact = m_folder + fileName;
    if (const auto found = m_listed->constFind(exact); found != m_listed->cend())
        return ReplaceFile{exact, *found};
    const QStringList twins = m_byFoldedName.value(fileName.toCaseFolded());
    // A folder that ignores case holds at most one such file.
    if (twins.size() != 1 || !ignoresCase(fileName))
        return std::nullopt;
    return ReplaceFile{twins.first(), m_listed->value(twins.first())};
}

bool SyncTargets::ignoresCase(const QString& name)
{
    if (!m_ignoresCase) {
        FileInfo info;
        const int error = m_files.readAttributes(m_folder + name, info);
        // A folder that cannot be asked is taken to ignore case: the file
        // of the other case then stays, where the other answer would prune it.
        m_ignoresCase =
            error != PlatformError::FileNotFound && error != PlatformError::PathNotFound;
    }
    return *m_ignoresCase;
}

} // namespace tarvo
