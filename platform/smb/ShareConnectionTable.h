#pragma once

#include "platform/ShareConnections.h"
#include "platform/smb/ShareAddress.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QList>
#include <QMutex>

namespace tarvo {

// What the SMB layer needs to log on to one share.
struct ShareCredentials
{
    ShareAddress address;
    QString userName;
    QString password;
};

// The process-wide table of named share connections.
//
// "In use" in this stand-in: a connection has open files while a file on its
// share is open through it (a copy reading or writing there, or a ShareUse of
// kind OpenFile), and is in use otherwise while a folder of its share is being
// listed (kind Listing). Without force, cancelling gives OpenFiles (2401) or
// DeviceInUse (2404) in these cases.
//
// A connection becomes unavailable (1201) when its share stops answering, and
// when it was added with the remember flag and then cancelled without it; it
// stays in the table until it is cancelled by its local name.
//
// Cancelling by remote name cancels every connection to that share.
class ShareConnectionTable : public ShareConnections
{
public:
    // Logs on to a share once; returns 0 or a PlatformError code.
    using Logon = std::function<int(const ShareCredentials&)>;
    // Tidies up on a share whose logon ends while the share still answers.
    using SignOff = std::function<void(const ShareCredentials&)>;
    explicit ShareConnectionTable(Logon logon, SignOff signOff = {});

    int addConnection(const QString& localName, const QString& remoteName, const QString& userName,
                      const QString& password, bool remember) override;
    int getConnection(const QString& localName, QString& remoteName) override;
    int cancelConnection(const QString& name, bool remember, bool force) override;

    enum class UseKind { OpenFile, Listing };

    // Marks one use of a connection for as long as it lives.
    class ShareUse
    {
    public:
        struct Counters;

        ShareUse() = default;
        // Counts one use of the kind on the counters, until it goes.
        ShareUse(std::shared_ptr<Counters> counters, UseKind kind);
        ShareUse(ShareUse&&) = default;
        ShareUse& operator=(ShareUse&&) = default;
        ~ShareUse();

    private:
        std::shared_ptr<Counters> m_counters;
        UseKind m_kind = UseKind::Listing;
    };

    // The credentials of a connection to the share that the address names,
    // with a use of it; nothing when no connection points there.
    std::optional<ShareCredentials> credentialsFor(const ShareAddress& address, UseKind kind,
                                                   ShareUse& use) const;

    // The share stopped answering: its connections become unavailable.
    void markUnavailable(const ShareAddress& address);

    // Changes whenever a logon ends, so cached server sessions are dropped
    // and the next use logs on with the credentials then in the table.
    quint64 generation() const { return m_generation.load(); }

private:
    struct Entry;
    Entry* findByLocalName(const QString& name);

    Logon m_logon;
    SignOff m_signOff;
    mutable QMutex m_mutex;
    QList<std::shared_ptr<Entry>> m_entries;
    std::atomic<quint64> m_generation{0};
};

} // namespace tarvo
