#include "platform/SmbContextPool.h"

#include <cstring>
#include <libsmbclient.h>
#include <mutex>
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

// The library loads its configuration while a context starts; one at a time.
QMutex& creationMutex()
{
    static QMutex mutex;
    return mutex;
}

} // namespace

bool SmbContextPool::initialiseLibrary(QString* error)
{
    static std::once_flag once;
    std::call_once(once, [] { smbc_thread_posix(); });
    QMutexLocker lock(&creationMutex());
    SMBCCTX* probe = smbc_new_context();
    if (probe)
        smbc_setDebug(probe, 0);
    if (!probe || !smbc_init_context(probe)) {
        if (probe)
            smbc_free_context(probe, 1);
        if (error)
            *error = QStringLiteral("The SMB client library cannot start: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    smbc_free_context(probe, 1);
    return true;
}

SmbContextPool::SmbContextPool(const ShareConnectionTable& table)
    : m_table(table)
{}

SmbContextPool::~SmbContextPool()
{
    for (const Idle& idle : std::as_const(m_idle))
        smbc_free_context(idle.context, 1);
}

SMBCCTX* SmbContextPool::newContext()
{
    QMutexLocker lock(&creationMutex());
    SMBCCTX* context = smbc_new_context();
    if (!context)
        return nullptr;
    smbc_setDebug(context, 0); // never a log line, never a password in one
    smbc_setTimeout(context, TimeoutMilliseconds);
    smbc_setOptionUseKerberos(context, false);
    smbc_setOptionFallbackAfterKerberos(context, true);
    smbc_setOptionNoAutoAnonymousLogin(context, true);
    smbc_setOptionUseCCache(context, false);
    smbc_setFunctionAuthDataWithContext(context, answerLogon);
    if (!smbc_init_context(context)) {
        smbc_free_context(context, 1);
        return nullptr;
    }
    return context;
}

SmbContextPool::Lease SmbContextPool::lease(SMBCCTX* context, quint64 generation,
                                            const ShareCredentials& credentials)
{
    Lease result;
    if (!context)
        return result;
    result.m_pool = this;
    result.m_context = context;
    result.m_generation = generation;
    result.m_credentials = std::make_unique<ShareCredentials>(credentials);
    smbc_setOptionUserData(context, result.m_credentials.get());
    return result;
}

SmbContextPool::Lease SmbContextPool::acquire(const ShareCredentials& credentials)
{
    const quint64 generation = m_table.generation();
    SMBCCTX* context = nullptr;
    bool stale = false;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_idle.isEmpty()) {
            const Idle idle = m_idle.takeLast();
            context = idle.context;
            stale = idle.generation != generation;
        }
    }
    // A connection went since this context logged on: forget its sessions.
    if (stale)
        smbc_getFunctionPurgeCachedServers(context)(context);
    return lease(context ? context : newContext(), generation, credentials);
}

SmbContextPool::Lease SmbContextPool::fresh(const ShareCredentials& credentials)
{
    return lease(newContext(), m_table.generation(), credentials);
}

void SmbContextPool::giveBack(SMBCCTX* context, quint64 generation)
{
    smbc_setOptionUserData(context, nullptr);
    QMutexLocker lock(&m_mutex);
    m_idle.append({context, generation});
}

SmbContextPool::Lease::Lease(Lease&& other) noexcept
    : m_pool(std::exchange(other.m_pool, nullptr))
    , m_context(std::exchange(other.m_context, nullptr))
    , m_credentials(std::move(other.m_credentials))
    , m_generation(other.m_generation)
{}

SmbContextPool::Lease& SmbContextPool::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        release();
        m_pool = std::exchange(other.m_pool, nullptr);
        m_context = std::exchange(other.m_context, nullptr);
        m_credentials = std::move(other.m_credentials);
        m_generation = other.m_generation;
    }
    return *this;
}

SmbContextPool::Lease::~Lease()
{
    release();
}

void SmbContextPool::Lease::release()
{
    if (m_pool && m_context)
        m_pool->giveBack(m_context, m_generation);
    m_pool = nullptr;
    m_context = nullptr;
}

} // namespace tarvo
