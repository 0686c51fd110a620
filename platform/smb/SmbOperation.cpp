#include "platform/smb/SmbOperation.h"

#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"
#include "platform/PosixErrors.h"
#include "platform/smb/SmbHandles.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <QUrl>
#include <sys/stat.h>

namespace tarvo {

void SmbShares::rememberLeftover(const ShareAddress& share, const QByteArray& url)
{
    std::lock_guard lock(m_mutex);
    m_leftovers.append({share, url});
}

QList<QByteArray> SmbShares::takeLeftovers(const ShareAddress& share)
{
    std::lock_guard lock(m_mutex);
    QList<QByteArray> taken;
    m_leftovers.removeIf([&](const QPair<ShareAddress, QByteArray>& leftover) {
        if (!leftover.first.sameShare(share))
            return false;
        taken.append(leftover.second);
        return true;
    });
    return taken;
}

bool SmbShares::hasLeftovers(const ShareAddress& share)
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_leftovers.cbegin(), m_leftovers.cend(),
                       [&](const auto& leftover) { return leftover.first.sameShare(share); });
}

QByteArray SmbUrl(const ShareAddress& address)
{
    QByteArray result = "smb://";
    result +=
        address.host.contains(u':') ? '[' + address.host.toUtf8() + ']' : address.host.toUtf8();
    if (address.port)
        result += ':' + QByteArray::number(address.port);
    result += '/' + QUrl::toPercentEncoding(address.share);
    for (const QString& name : address.folders)
        result += '/' + QUrl::toPercentEncoding(name);
    return result;
}

// libsmbclient packs the DOS attributes into the mode bits of a stat: no
// write bit for read-only, execute bits for archive, system and hidden (a
// folder always has them, so for folders only read-only can be told). Its
// st_ctim is the server's change time, not the creation time, which a stat
// does not report (CreationTime stays 0, unknown); st_ino is the server's
// file id (on Samba the inode), the same through stat and fstat. Where a
// server reports none, the library makes one from the path, which stays the
// same for the same path and so tells nothing either way.
FileInfo SmbInfoFromStat(const struct stat& status)
{
    FileInfo info;
    const bool folder = S_ISDIR(status.st_mode);
    if (folder)
        info.Attributes |= FileAttribute::Directory;
    if (!(status.st_mode & S_IWUSR))
        info.Attributes |= FileAttribute::ReadOnly;
    if (!folder) {
        if (status.st_mode & S_IXUSR)
            info.Attributes |= FileAttribute::Archive;
        if (status.st_mode & S_IXGRP)
            info.Attributes |= FileAttribute::System;
        if (status.st_mode & S_IXOTH)
            info.Attributes |= FileAttribute::Hidden;
    }
    info.LastAccessTime = fileTimeFromTimespec(status.st_atim);
    info.LastWriteTime = fileTimeFromTimespec(status.st_mtim);
    info.Size = folder ? 0 : quint64(status.st_size);
    info.FileId = quint64(status.st_ino);
    info.ChangeTime = fileTimeFromTimespec(status.st_ctim);
    return info;
}

TargetLook LookAtTarget(SmbOperation& operation, const QByteArray& url)
{
    smb::Context* context = operation.context();
    if (const smb::OpenFile file = smb::openFile(context, url.constData(), O_WRONLY, 0))
        return {true, PlatformError::Success};
    switch (const int error = errno) {
    case ENOENT:
        return {false, PlatformError::Success};
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return {true, PlatformError::AccessDenied};
    case EBUSY:
        return {true, PlatformError::SharingViolation};
    default:
        return {false, NameError(operation, error)};
    }
}

int NameError(SmbOperation& operation, int error)
{
    return error == EINVAL ? PlatformError::InvalidName : operation.fail(error);
}

bool IsConnectionLoss(int error)
{
    switch (error) {
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ETIMEDOUT:
    case ENOTCONN:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EIO: // what a dropped session often comes back as; a new logon costs little
        return true;
    default:
        return false;
    }
}

bool IsServerFull(int error)
{
    // A Samba server at its "max smbd processes" drops the new connection
    // during the negotiation, which libsmbclient reports as either of these.
    return error == ECONNABORTED || error == ENETRESET;
}

SmbOperation::SmbOperation(SmbShares& shares, const QString& path,
                           ShareConnectionTable::UseKind use, Kind kind)
    : m_shares(shares)
    , m_path(path)
    , m_use(use)
    , m_kind(kind)
{
    const std::optional<ShareAddress> address = ShareAddress::parse(path);
    if (!address) {
        m_error = PlatformError::InvalidName;
        return;
    }
    m_address = *address;
    const std::optional<ShareCredentials> credentials =
        shares.connections.credentialsFor(m_address, use, m_shareUse);
    if (!credentials) {
        m_error = PlatformError::AccessDenied; // no logon for this share
        return;
    }
    logOn(*credentials);
}

SmbOperation::SmbOperation(SmbShares& shares, const ShareCredentials& credentials)
    : m_shares(shares)
    , m_path(credentials.address.remoteName())
    , m_use(ShareConnectionTable::UseKind::Listing)
    , m_kind(Kind::Main)
    , m_address(credentials.address)
{
    logOn(credentials);
}

void SmbOperation::logOn(const ShareCredentials& credentials)
{
    SmbContextPool& contexts = m_shares.contexts;
    const QString key = SmbContextPool::logonKey(credentials);
    const auto waitForLogon = [&] {
        if (m_kind == Kind::Extra)
            return;
        m_lease = contexts.acquireLoggedOn(
            credentials, key, std::chrono::milliseconds(ShareConnections::TimeoutMilliseconds));
        if (!m_lease)
            m_error = PlatformError::NetworkBusy;
    };
    if (contexts.isFull(key)) {
        m_error = PlatformError::NetworkBusy;
        waitForLogon();
        if (m_lease)
            m_error = PlatformError::Success;
        return;
    }
    m_lease = contexts.acquire(credentials, key);
    if (!m_lease) {
        m_error = PlatformError::NotEnoughMemory;
        return;
    }
    if (m_lease.knowsLogon(key))
        return;
    // Logging on runs alone; once this context holds the share's session,
    // its calls run beside those of other contexts.
    ShareAddress top = credentials.address;
    top.folders.clear();
    if (smb::connect(m_lease.context(), SmbUrl(top).constData()) == 0) {
        m_lease.addLogon(key);
        return;
    }
    const int error = errno;
    m_lease.discard();
    if (IsServerFull(error) && contexts.hasLogon(key)) {
        // The server takes no more connections than the process holds: the
        // operations share those from now on.
        contexts.setFull(key);
        m_error = PlatformError::NetworkBusy;
        waitForLogon();
        if (m_lease)
            m_error = PlatformError::Success;
        return;
    }
    m_error = IsServerFull(error) ? PlatformError::NetworkBusy : fail(error);
}

std::unique_ptr<SmbOperation> SmbOperation::extraSession() const
{
    return std::make_unique<SmbOperation>(m_shares, m_path, m_use, Kind::Extra);
}

int SmbOperation::fail(int error)
{
    if (IsConnectionLoss(error))
        m_shares.connections.markUnavailable(m_address);
    return platformErrorFromErrno(error);
}

int SmbOperation::failTransfer(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EACCES:
    case EPERM:
    case EROFS:
        return fail(error);
    default:
        m_shares.connections.markUnavailable(m_address);
        return platformErrorFromErrno(error);
    }
}

} // namespace tarvo
