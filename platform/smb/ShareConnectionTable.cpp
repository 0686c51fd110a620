#include "platform/smb/ShareConnectionTable.h"

#include "platform/ErrorCodes.h"

#include <QMutexLocker>

namespace tarvo {

struct ShareConnectionTable::ShareUse::Counters
{
    std::atomic<int> openFiles{0};
    std::atomic<int> listings{0};
};

struct ShareConnectionTable::Entry
{
    QString localName;
    ShareCredentials credentials;
    bool remember = false;
    bool available = true;
    std::shared_ptr<ShareUse::Counters> counters = std::make_shared<ShareUse::Counters>();
};

ShareConnectionTable::ShareUse::ShareUse(std::shared_ptr<Counters> counters, UseKind kind)
    : m_counters(std::move(counters))
    , m_kind(kind)
{
    (m_kind == UseKind::OpenFile ? m_counters->openFiles : m_counters->listings)++;
}

ShareConnectionTable::ShareUse::~ShareUse()
{
    if (!m_counters)
        return;
    (m_kind == UseKind::OpenFile ? m_counters->openFiles : m_counters->listings)--;
}

ShareConnectionTable::ShareConnectionTable(Logon logon, SignOff signOff)
    : m_logon(std::move(logon))
    , m_signOff(std::move(signOff))
{}

ShareConnectionTable::Entry* ShareConnectionTable::findByLocalName(const QString& name)
{
    for (const auto& entry : std::as_const(m_entries)) {
        if (!entry->localName.isEmpty() && entry->localName.compare(name, Qt::CaseInsensitive) == 0)
            return entry.get();
    }
    return nullptr;
}

int ShareConnectionTable::addConnection(const QString& localName, const QString& remoteName,
                                        const QString& userName, const QString& password,
                                        bool remember)
{
    const std::optional<ShareAddress> address = ShareAddress::parse(remoteName);
    if (!address || !address->folders.isEmpty())
        return PlatformError::BadNetName;
    {
        QMutexLocker lock(&m_mutex);
        if (findByLocalName(localName))
            return PlatformError::DeviceAlreadyRemembered;
    }
    auto entry = std::make_shared<Entry>();
    entry->localName = localName;
    entry->credentials = {*address, userName, password};
    entry->remember = remember;
    // The logon talks to the server: never under the table's lock.
    if (int error = m_logon(entry->credentials))
        return error;
    QMutexLocker lock(&m_mutex);
    if (findByLocalName(localName))
        return PlatformError::DeviceAlreadyRemembered; // another thread was quicker
    m_entries.append(entry);
    return PlatformError::Success;
}

int ShareConnectionTable::getConnection(const QString& localName, QString& remoteName)
{
    QMutexLocker lock(&m_mutex);
    const Entry* entry = findByLocalName(localName);
    if (!entry)
        return PlatformError::NotConnected;
    remoteName = entry->credentials.address.remoteName();
    return entry->available ? PlatformError::Success : PlatformError::ConnectionUnavailable;
}

int ShareConnectionTable::cancelConnection(const QString& name, bool remember, bool force)
{
    QList<ShareCredentials> endedLogons;
    {
        QMutexLocker lock(&m_mutex);
        QList<std::shared_ptr<Entry>> matches;
        if (Entry* byLocal = findByLocalName(name)) {
            for (const auto& entry : std::as_const(m_entries)) {
                if (entry.get() == byLocal)
                    matches.append(entry);
            }
        } else if (const std::optional<ShareAddress> address = ShareAddress::parse(name)) {
            for (const auto& entry : std::as_const(m_entries)) {
                if (address->folders.isEmpty() && entry->credentials.address.sameShare(*address))
                    matches.append(entry);
            }
        }
        if (matches.isEmpty())
            return PlatformError::NotConnected;
        if (!force) {
            for (const auto& entry : std::as_const(matches)) {
                if (!entry->available)
                    continue;
                if (entry->counters->openFiles > 0)
                    return PlatformError::OpenFiles;
                if (entry->counters->listings > 0)
                    return PlatformError::DeviceInUse;
            }
        }
        for (const auto& entry : std::as_const(matches)) {
            if (entry->available)
                endedLogons.append(entry->credentials);
            if (entry->remember && !remember && entry->available)
                entry->available = false; // remembered: the name stays, the logon goes
            else
                m_entries.removeOne(entry);
        }
        ++m_generation;
    }
    // Signing off talks to the server: never under the table's lock.
    if (m_signOff) {
        for (const ShareCredentials& credentials : std::as_const(endedLogons))
            m_signOff(credentials);
    }
    return PlatformError::Success;
}

std::optional<ShareCredentials>
ShareConnectionTable::credentialsFor(const ShareAddress& address, UseKind kind, ShareUse& use) const
{
    QMutexLocker lock(&m_mutex);
    const Entry* found = nullptr;
    for (const auto& entry : m_entries) {
        if (entry->credentials.address.sameShare(address) && (!found || !found->available))
            found = entry.get(); // the first one that is available, else any
    }
    if (!found)
        return std::nullopt;
    use = ShareUse(found->counters, kind);
    return found->credentials;
}

void ShareConnectionTable::markUnavailable(const ShareAddress& address)
{
    QMutexLocker lock(&m_mutex);
    for (const auto& entry : std::as_const(m_entries)) {
        if (entry->credentials.address.sameShare(address))
            entry->available = false;
    }
}

} // namespace tarvo
