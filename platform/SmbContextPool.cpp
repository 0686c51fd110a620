#include "platform/SmbContextPool.h"

#include "platform/SmbCalls.h"

#include <cstring>
#include <libsmbclient.h>
#include <QByteArray>
#include <QMutexLocker>

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
    smbc_setDebug(context, 0); // never a log line, never a password in one
    smbc_setTimeout(context, SmbContextPool::TimeoutMilliseconds);
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
    Lease result;
    if (!idle.context)
        return result;
    SMBCCTX* context = idle.context;
    result.m_pool = this;
    result.m_context = context;
    result.m_generation = idle.generation;
    result.m_shares = std::move(idle.shares);
    result.m_credentials = std::make_unique<ShareCredentials>(credentials);
    smb::setUserData(context, result.m_credentials.get());
    return result;
}

SmbContextPool::Lease SmbContextPool::acquire(const ShareCredentials& credentials,
                                              const QString& shareKey)
{
    const quint64 generation = m_table.generation();
    const QString folded = shareKey.toCaseFolded();
    Idle idle{nullptr, generation, {}};
    {
        QMutexLocker lock(&m_mutex);
        // The most recently used context that holds the share's session, so
        // that no logon is made while one is at hand (a logon that would fail,
        // too, once the password has changed on the server); else any.
        qsizetype chosen = m_idle.size() - 1;
        for (qsizetype i = m_idle.size() - 1; i >= 0; --i) {
            if (m_idle.at(i).generation == generation && m_idle.at(i).shares.contains(folded)) {
                chosen = i;
                break;
            }
        }
        if (chosen >= 0)
            idle = m_idle.takeAt(chosen);
    }
    // A connection went since this context logged on: forget its sessions.
    if (idle.context && idle.generation != generation) {
        smb::purgeCachedServers(idle.context);
        idle.shares.clear();
    }
    if (!idle.context)
        idle.context = newContext();
    idle.generation = generation;
    return lease(std::move(idle), credentials);
}

SmbContextPool::Lease SmbContextPool::fresh(const ShareCredentials& credentials)
{
    return lease({newContext(), m_table.generation(), {}}, credentials);
}

void SmbContextPool::giveBack(Idle idle)
{
    smb::setUserData(idle.context, nullptr);
    QMutexLocker lock(&m_mutex);
    m_idle.append(std::move(idle));
}

SmbContextPool::Lease::Lease(Lease&& other) noexcept
    : m_pool(std::exchange(other.m_pool, nullptr))
    , m_context(std::exchange(other.m_context, nullptr))
    , m_credentials(std::move(other.m_credentials))
    , m_generation(other.m_generation)
    , m_shares(std::move(other.m_shares))
{}

SmbContextPool::Lease& SmbContextPool::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        release();
        m_pool = std::exchange(other.m_pool, nullptr);
        m_context = std::exchange(other.m_context, nullptr);
        m_credentials = std::move(other.m_credentials);
        m_generation = other.m_generation;
        m_shares = std::move(other.m_shares);
    }
    return *this;
}

SmbContextPool::Lease::~Lease()
{
    release();
}

bool SmbContextPool::Lease::knowsShare(const QString& remoteName) const
{
    return m_shares.contains(remoteName.toCaseFolded());
}

void SmbContextPool::Lease::addShare(const QString& remoteName)
{
    m_shares.insert(remoteName.toCaseFolded());
}

void SmbContextPool::Lease::release()
{
    if (m_pool && m_context)
        m_pool->giveBack({m_context, m_generation, std::move(m_shares)});
    m_pool = nullptr;
    m_context = nullptr;
}

} // namespace tarvo
