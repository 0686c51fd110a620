#include "platform/smb/ShareFolderNames.h"

#include <QElapsedTimer>

namespace tarvo {

ShareFolderNames::ShareFolderNames(std::chrono::milliseconds minimumTrust)
    : m_minimumTrust(minimumTrust)
{}

bool ShareFolderNames::isKnownAbsent(const QByteArray& folder, const QString& name,
                                     const Lister& list)
{
    const QString folded = name.toCaseFolded();
    {
        std::lock_guard lock(m_mutex);
        Folder& known = m_folders[folder];
        if (known.listed && !known.trustedUntil.hasExpired())
            return !known.names.contains(folded);
        if (known.listing || ++known.questions < ListAfterQuestions)
            return false;
        known.listing = true;
        known.questions = 0;
    }
    QElapsedTimer took;
    took.start();
    std::optional<QSet<QString>> names = list();
    const auto trust = std::max(m_minimumTrust, std::chrono::milliseconds(took.elapsed() * 10));

    std::lock_guard lock(m_mutex);
    dropExpired();
    Folder& known = m_folders[folder];
    known.listing = false;
    known.listed = names.has_value();
    if (!names)
        return false;
    known.names = std::move(*names);
    known.trustedUntil = QDeadlineTimer(trust);
    return !known.names.contains(folded);
}

void ShareFolderNames::added(const QByteArray& folder, const QString& name)
{
    std::lock_guard lock(m_mutex);
    const auto known = m_folders.find(folder);
    if (known != m_folders.end() && known->listed)
        known->names.insert(name.toCaseFolded());
}

void ShareFolderNames::dropExpired()
{
    m_folders.removeIf([](const auto& entry) {
        const Folder& known = entry.value();
        return known.listed && !known.listing && known.trustedUntil.hasExpired();
    });
}

} // namespace tarvo
