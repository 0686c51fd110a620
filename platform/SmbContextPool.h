#pragma once

#include "platform/ShareConnectionTable.h"

#include <memory>
#include <QList>
#include <QMutex>
#include <QSet>

struct _SMBCCTX;

namespace tarvo {

// libsmbclient contexts for the whole process. A context is never used by two
// threads at once: an operation leases one, keeps it (and the server sessions
// it caches: one logon per share, not one per file) while it runs, and gives
// it back. The lease carries the credentials that the logon answers with.
class SmbContextPool
{
public:
    explicit SmbContextPool(const ShareConnectionTable& table);
    ~SmbContextPool();
    SmbContextPool(const SmbContextPool&) = delete;
    SmbContextPool& operator=(const SmbContextPool&) = delete;

    // Prepares libsmbclient for threads; false with a reason when it cannot.
    static bool initialiseLibrary(QString* error);

    // How long a server may take to answer before an operation fails.
    static constexpr int TimeoutMilliseconds = 5000;

    class Lease
    {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();

        _SMBCCTX* context() const { return m_context; }
        explicit operator bool() const { return m_context != nullptr; }

        // Whether this context has logged on to the share ("\\server\share"
        // folded) since it was made or last forgot its sessions.
        bool knowsShare(const QString& remoteName) const;
        void addShare(const QString& remoteName);

    private:
        friend class SmbContextPool;
        void release();
        SmbContextPool* m_pool = nullptr;
        _SMBCCTX* m_context = nullptr;
        std::unique_ptr<ShareCredentials> m_credentials; // read by the logon callback
        quint64 m_generation = 0;
        QSet<QString> m_shares;
    };

    // A context that logs on with the credentials, preferably one that has
    // already logged on to the share `shareKey` names (see Lease::knowsShare);
    // fresh() never reuses a cached logon, so a wrong password really fails.
    Lease acquire(const ShareCredentials& credentials, const QString& shareKey);
    Lease fresh(const ShareCredentials& credentials);

private:
    struct Idle
    {
        _SMBCCTX* context;
        quint64 generation;
        QSet<QString> shares;
    };
    _SMBCCTX* newContext();
    Lease lease(Idle idle, const ShareCredentials& credentials);
    void giveBack(Idle idle);

    const ShareConnectionTable& m_table;
    QMutex m_mutex;
    QList<Idle> m_idle;
};

} // namespace tarvo
