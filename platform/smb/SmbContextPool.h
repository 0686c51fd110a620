#pragma once

#include "platform/smb/ShareConnectionTable.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <QHash>
#include <QList>
#include <QSet>

struct _SMBCCTX;

namespace tarvo {

// libsmbclient contexts for the whole process. A context is never used by two
// threads at once: an operation leases one, keeps it (and the server sessions
// it caches: one logon per share, not one per file) while it runs, and gives
// it back. The lease carries the credentials that the logon answers with.
//
// A logon is known by its key (see logonKey()): the share, the user and the
// password it was made with. A context that has logged on under a key serves
// every later operation with those very credentials, whatever connections
// came and went in between.
class SmbContextPool
{
public:
    explicit SmbContextPool(const ShareConnectionTable& table);
    ~SmbContextPool();
    SmbContextPool(const SmbContextPool&) = delete;
    SmbContextPool& operator=(const SmbContextPool&) = delete;

    // Prepares libsmbclient for threads; false with a reason when it cannot.
    static bool initialiseLibrary(QString* error);

    // The key of a logon with these credentials to the share of their address.
    static QString logonKey(const ShareCredentials& credentials);
    // The part of a key that names the server.
    static QString serverOf(const QString& logonKey);

    class Lease
    {
    public:
        Lease() = default;
        // The context, from the pool, logged on under `logons`, answering
        // a logon with the credentials; given back when the lease goes.
        Lease(SmbContextPool& pool, _SMBCCTX* context, quint64 generation, QSet<QString> logons,
              const ShareCredentials& credentials);
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease();

        _SMBCCTX* context() const { return m_context; }
        explicit operator bool() const { return m_context != nullptr; }

        // Whether this context has logged on under the key since it was made
        // or last forgot its sessions.
        bool knowsLogon(const QString& key) const;
        void addLogon(const QString& key);
        // Drops the context's sessions and the context itself: its connection
        // failed, or must make room for another.
        void discard();

    private:
        void release();
        SmbContextPool* m_pool = nullptr;
        _SMBCCTX* m_context = nullptr;
        std::unique_ptr<ShareCredentials> m_credentials; // read by the logon callback
        quint64 m_generation = 0;
        QSet<QString> m_logons;
    };

    // A context that logs on with the credentials, preferably one that has
    // already logged on under `key`; fresh() never reuses a cached logon.
    Lease acquire(const ShareCredentials& credentials, const QString& key);
    Lease fresh(const ShareCredentials& credentials);
    // An idle context logged on under `key`, waiting up to `wait` for one to
    // be given back while every one is in use; empty when none comes.
    Lease acquireLoggedOn(const ShareCredentials& credentials, const QString& key,
                          std::chrono::milliseconds wait);

    // Frees the idle contexts that hold a logon to the server, so that a
    // server that counts its connections has room for a new one.
    void closeIdle(const QString& server);

    // The server of `key` takes no more connections than the process holds:
    // operations there wait for a logged-on context instead of opening more.
    void setFull(const QString& key);
    bool isFull(const QString& key) const;
    // Whether any context, idle or leased, is logged on under `key`.
    bool hasLogon(const QString& key) const;

private:
    struct Idle
    {
        _SMBCCTX* context;
        quint64 generation;
        QSet<QString> logons;
    };
    _SMBCCTX* newContext();
    Lease lease(Idle idle, const ShareCredentials& credentials);
    void giveBack(Idle idle);
    void forgetLogons(const QSet<QString>& logons); // under m_mutex

    const ShareConnectionTable& m_table;
    mutable std::mutex m_mutex;
    std::condition_variable m_givenBack;
    QList<Idle> m_idle;
    QHash<QString, int> m_logonCount; // contexts logged on under each key
    QSet<QString> m_full;             // servers (see serverOf) that take no more connections
};

} // namespace tarvo
