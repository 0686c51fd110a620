#include "platform/smb/SmbContextPool.h"

#include "platform/smb/SmbCalls.h"

#include <cstring>
#include <libsmbclient.h>
#include <QByteArray>
#include <QCryptographicHash>

namespace tarvo {

namespace {

void copyText(char* buffer, int size, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (size <= 0)
        return;
    const size_t length = std::min(size_t(size - 1), size_t(bytes.size()));
    std::memcpy(buffer, bytes.constData(), length);
    buffer[length] = '\0';
}

// libsmbclient asks here when it logs on to a share: the answer is the lease's
// credentials, and nothing at all (no guest, no anonymous logon) without them.
void answerLogon(SMBCCTX* context, const char*, const char*, char*, int, char* user, int userSize,
                 char* password, int passwordSize)
{
    const auto* credentials = static_cast<const ShareCredentials*>(smbc_getOptionUserData(context));
    copyText(user, userSize, credentials ? credentials->userName : QString());
    copyText(password, passwordSize, credentials ? credentials->password : QString());
}

void configure(SMBCCTX* context)
{
    smbc_setDebug(context, 0);
    smbc_setTimeout(context, ShareConnections::TimeoutMilliseconds);
    smbc_setOptionUseKerberos(context, false);
    smbc_setOptionFallbackAfterKerberos(context, true);
    smbc_setOptionNoAutoAnonymousLogin(context, true);
    smbc_setOptionUseCCache(context, false);
    smbc_setFunctionAuthDataWithContext(context, answerLogon);
}

} // namespace

bool SmbContextPool::initialiseLibrary(QString* error)
{
    SMBCCTX* probe = smb::newContext(configure);
    if (!probe) {
        if (error)
            *error = QStringLiteral("The SMB client library cannot start: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    smb::freeContext(probe);
    return true;
}

QString SmbContextPool::logonKey(const ShareCredentials& credentials)
{
    // The password only as a digest: the key tells logons apart, it need not
    // hold the secret.
    const QByteArray digest =
        QCryptographicHash::hash(credentials.password.toUtf8(), QCryptographicHash::Sha256);
    return credentials.address.remoteName().toCaseFolded() + u'\n' + credentials.userName + u'\n' +
           QString::fromLatin1(digest.toHex().left(16));
}

QString SmbContextPool::serverOf(const QString& logonKey)
{
    // "\\server\share\n...": up to the separator before the share.
    return logonKey.left(logonKey.indexOf(u'\\', 2));
}

SmbContextPool::SmbContextPool(const ShareConnectionTable& table)
    : m_table(table)
{}

SmbContextPool::~SmbContextPool()
{
    for (const Idle& idle : std::as_const(m_idle))
        smb::freeContext(idle.context);
}

SMBCCTX* SmbContextPool::newContext()
{
    return smb::newContext(configure);
}

SmbContextPool::Lease SmbContextPool::lease(Idle idle, const ShareCredentials& credentials)
{
    if (!idle.context)
        return {};
    return Lease(*this, idle.context, idle.generation, std::move(idle.logons), credentials);
}

SmbContextPool::Lease SmbContextPool::acquire(const ShareCredentials& credentials,
                                              const QString& key)
{
    const quint64 generation = m_table.generation();
    Idle idle{nullptr, generation, {}};
    bool knowsKey = false;
    bool purge = false;
    {
        std::lock_guard lock(m_mutex);
        // The most recently used context that holds this logon, so that no
        // logon is made while one is at hand (a logon that would fail, too,
        // once the password has changed on the server); else any.
        qsizetype chosen = m_idle.size() - 1;
        for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
            if (m_idle.at(i).logons.contains(key)) {
                chosen = i;
                knowsKey = true;
                break;
            }
        }
        if (chosen >= 0)
            idle = m_idle.takeAt(chosen);
        // A connection went since this context logged on, and it holds no
        // logon with these very credentials: forget its sessions, so that
        // the next use logs on with the credentials now in the table.
        if (idle.context && idle.generation != generation && !knowsKey) {
            forgetLogons(idle.logons);
            idle.logons.clear();
            purge = true;
        }
    }
    if (purge)
        smb::purgeCachedServers(idle.context);
    if (!idle.context)
        idle.context = newContext();
    idle.generation = generation;
    return lease(std::move(idle), credentials);
}

SmbContextPool::Lease SmbContextPool::fresh(const ShareCredentials& credentials)
{
    return lease({newContext(), m_table.generation(), {}}, credentials);
}

SmbContextPool::Lease SmbContextPool::acquireLoggedOn(const ShareCredentials& credentials,
                                                      const QString& key,
                                                      std::chrono::milliseconds wait)
{
    Idle idle{nullptr, 0, {}};
    {
        std::unique_lock lock(m_mutex);
        const auto found = [&] {
            for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
                if (m_idle.at(i).logons.contains(key)) {
                    idle = m_idle.takeAt(i);
                    return true;
                }
            }
            return false;
        };
        if (!m_givenBack.wait_for(lock, wait, found) && !found())
            return {};
    }
    idle.generation = m_table.generation();
    return lease(std::move(idle), credentials);
}

void SmbContextPool::closeIdle(const QString& server)
{
    QList<SMBCCTX*> closing;
    {
        std::lock_guard lock(m_mutex);
        m_idle.removeIf([&](const Idle& idle) {
            const bool onServer =
                std::any_of(idle.logons.cbegin(), idle.logons.cend(),
                            [&](const QString& key) { return serverOf(key) == server; });
            if (onServer) {
                forgetLogons(idle.logons);
                closing.append(idle.context);
            }
            return onServer;
        });
    }
    for (SMBCCTX* context : std::as_const(closing))
        smb::freeContext(context);
}

void SmbContextPool::setFull(const QString& key)
{
    std::lock_guard lock(m_mutex);
    m_full.insert(serverOf(key));
}

bool SmbContextPool::isFull(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return m_full.contains(serverOf(key));
}

bool SmbContextPool::hasLogon(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return m_logonCount.value(key) > 0;
}

void SmbContextPool::forgetLogons(const QSet<QString>& logons)
{
    for (const QString& key : logons) {
        if (--m_logonCount[key] <= 0)
            m_logonCount.remove(key);
    }
}

void SmbContextPool::giveBack(Idle idle)
{
    smb::setUserData(idle.context, nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_idle.append(std::move(idle));
    }
    m_givenBack.notify_all();
}

SmbContextPool::Lease::Lease(SmbContextPool& pool, SMBCCTX* context, quint64 generation,
                             QSet<QString> logons, const ShareCredentials& credentials)
    : m_pool(&pool)
    , m_context(context)
    , m_credentials(std::make_unique<ShareCredentials>(credentials))
    , m_generation(generation)
    , m_logons(std::move(logons))
{
    smb::setUserData(context, m_credentials.get());
}

SmbContextPool::Lease::Lease(Lease&& other) noexcept
    : m_pool(std::exchange(other.m_pool, nullptr))
    , m_context(std::exchange(other.m_context, nullptr))
    , m_credentials(std::move(other.m_credentials))
    , m_generation(other.m_generation)
    , m_logons(std::move(other.m_logons))
{}

SmbContextPool::Lease& SmbContextPool::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        release();
        m_pool = std::exchange(other.m_pool, nullptr);
        m_context = std::exchange(other.m_context, nullptr);
        m_credentials = std::move(other.m_credentials);
        m_generation = other.m_generation;
        m_logons = std::move(other.m_logons);
    }
    return *this;
}

SmbContextPool::Lease::~Lease()
{
    release();
}

bool SmbContextPool::Lease::knowsLogon(const QString& key) const
{
    return m_logons.contains(key);
}

void SmbContextPool::Lease::addLogon(const QString& key)
{
    if (m_logons.contains(key))
        return;
    m_logons.insert(key);
    if (m_pool) {
        std::lock_guard lock(m_pool->m_mutex);
        ++m_pool->m_logonCount[key];
    }
}

void SmbContextPool::Lease::discard()
{
    if (m_pool && m_context) {
        {
            std::lock_guard lock(m_pool->m_mutex);
            m_pool->forgetLogons(m_logons);
        }
        smb::freeContext(m_context);
    }
    m_logons.clear();
    m_pool = nullptr;
    m_context = nullptr;
}

void SmbContextPool::Lease::release()
{
    if (m_pool && m_context)
        m_pool->giveBack({m_context, m_generation, std::move(m_logons)});
    m_pool = nullptr;
    m_context = nullptr;
}

} // namespace tarvo
