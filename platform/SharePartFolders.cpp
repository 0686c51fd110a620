#include "platform/SharePartFolders.h"

namespace tarvo {

bool SharePartFolders::wantsPartFolder(const QByteArray& folder)
{
    std::lock_guard lock(m_mutex);
    Folder& known = m_folders[folder];
    return !known.unusable && ++known.parts > BesideForFirstParts;
}

void SharePartFolders::unusable(const QByteArray& folder)
{
    std::lock_guard lock(m_mutex);
    m_folders[folder].unusable = true;
}

void SharePartFolders::made(const ShareAddress& partFolder)
{
    std::lock_guard lock(m_mutex);
    m_made.append(partFolder);
}

QList<ShareAddress> SharePartFolders::takeMade(const ShareAddress* share)
{
    std::lock_guard lock(m_mutex);
    QList<ShareAddress> taken;
    m_made.removeIf([&](const ShareAddress& folder) {
        if (share && !folder.sameShare(*share))
            return false;
        taken.append(folder);
        return true;
    });
    return taken;
}

} // namespace tarvo
