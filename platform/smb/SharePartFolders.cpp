#include "platform/smb/SharePartFolders.h"

#include <algorithm>

namespace tarvo {

QList<SharePartFolders::Place> SharePartFolders::placesFor(const QByteArray& folder)
{
    std::lock_guard lock(m_mutex);
    Folder& known = m_folders[folder];
    QList<Place> places;
    // The part folder's name and the parts in it are hidden names too.
    if (++known.parts > BesideForFirstParts && !known.partFolderRefused && !known.hiddenRefused)
        places.append(Place::PartFolder);
    if (!known.hiddenRefused)
        places.append(Place::Hidden);
    if (!known.plainRefused)
        places.append(Place::Plain);
    return places;
}

void SharePartFolders::refused(const QByteArray& folder, Place place)
{
    std::lock_guard lock(m_mutex);
    Folder& known = m_folders[folder];
    switch (place) {
    case Place::PartFolder:
        known.partFolderRefused = true;
        break;
    case Place::Hidden:
        known.hiddenRefused = true;
        break;
    case Place::Plain:
        known.plainRefused = true;
        break;
    }
}

void SharePartFolders::used(const ShareAddress& partFolder)
{
    std::lock_guard lock(m_mutex);
    const bool known = std::any_of(m_used.cbegin(), m_used.cend(), [&](const ShareAddress& folder) {
        return folder.sameShare(partFolder) && folder.folders == partFolder.folders;
    });
    if (!known)
        m_used.append(partFolder);
}

QList<ShareAddress> SharePartFolders::takeUsed(const ShareAddress* share)
{
    std::lock_guard lock(m_mutex);
    QList<ShareAddress> taken;
    m_used.removeIf([&](const ShareAddress& folder) {
        if (share && !folder.sameShare(*share))
            return false;
        taken.append(folder);
        return true;
    });
    return taken;
}

} // namespace tarvo
