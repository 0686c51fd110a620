#pragma once

#include "platform/copy/PartNames.h"
#include "platform/copy/ResumableParts.h"
#include "platform/FileTypes.h"
#include "platform/smb/ShareConnectionTable.h"
#include "platform/smb/SharePartFolders.h"
#include "platform/smb/SmbCalls.h"
#include "platform/smb/SmbContextPool.h"

#include <memory>
#include <mutex>
#include <QByteArray>
#include <QList>

struct stat;

namespace tarvo {

class SmbOperation;

// What the process keeps for its operations on shares: the connection table
// whose credentials they log on with, the contexts, and what it has learnt of
// the share folders it works in.
class SmbShares
{
public:
    SmbShares(ShareConnectionTable& connections, SmbContextPool& contexts)
        : connections(connections)
        , contexts(contexts)
    {}

    ShareConnectionTable& connections;
    SmbContextPool& contexts;
    SharePartFolders partFolders;
    LeftoverSweeps sweeps;
    // By the smb:// address of the target folder.
    ResumableParts resumable;

    // A part file that could not be removed because the server had gone
    // away, or held it open; the next copy to its share, the end of the
    // logon or the next logon removes it.
    void rememberLeftover(const ShareAddress& share, const QByteArray& url);
    QList<QByteArray> takeLeftovers(const ShareAddress& share);
    bool hasLeftovers(const ShareAddress& share);

private:
    std::mutex m_mutex;
    QList<QPair<ShareAddress, QByteArray>> m_leftovers;
};

// The smb:// address of a path below a share, every name URL-encoded.
QByteArray SmbUrl(const ShareAddress& address);

// The attributes, times and size that a libsmbclient stat reports.
FileInfo SmbInfoFromStat(const struct stat& status);

// What holds a target's name, found by opening it for writing: a stat shows
// a file that this user may not write (another account's private file on a
// share that hides it from listings, say) as writable, and libsmbclient's
// rename onto an existing name deletes whatever holds it, so a target is
// replaced only once this open has shown that it may be written.
struct TargetLook
{
    bool exists = false;
    // Why the target must not be replaced (AccessDenied: this user may not
    // write it, or it is a folder; SharingViolation: another program holds
    // it open and lets nobody write it), or why the look failed.
    int error = 0;
};
TargetLook LookAtTarget(SmbOperation& operation, const QByteArray& url);

// The code for a failed call that named a path: a name that the server
// refuses ("a:b", "a?b") is InvalidName.
int NameError(SmbOperation& operation, int error);

// Whether an errno from libsmbclient means that the connection went.
bool IsConnectionLoss(int error);
// Whether an errno at logon means that the server takes no more connections.
bool IsServerFull(int error);

// One operation on one share: the path's address, a use of its connection
// and a context that is logged on with that connection's credentials.
class SmbOperation
{
public:
    // An extra session (one of a big copy's parallel ones) never waits for
    // a context on a server that takes no more connections: the copy goes
    // on without it.
    enum class Kind { Main, Extra };

    SmbOperation(SmbShares& shares, const QString& path, ShareConnectionTable::UseKind use,
                 Kind kind = Kind::Main);
    // An operation on the share of the credentials, with them, for work at
    // the end of a logon when the connection table no longer holds it.
    SmbOperation(SmbShares& shares, const ShareCredentials& credentials);

    // Another operation on the same path, with a context of its own.
    std::unique_ptr<SmbOperation> extraSession() const;

    int error() const { return m_error; }
    smb::Context* context() const { return m_lease.context(); }
    SmbShares& shares() const { return m_shares; }
    const ShareAddress& address() const { return m_address; }
    QByteArray url() const { return SmbUrl(m_address); }
    void leaveBehind(const QByteArray& partUrl) { m_shares.rememberLeftover(m_address, partUrl); }

    // The code for a failed call; a share that stopped answering makes its
    // connections unavailable.
    int fail(int error);
    // The same for a read or write on an open file, which fails for few
    // reasons besides a lost session (whose errno libsmbclient does not
    // report consistently): every other failure counts as one, which at
    // worst costs a new logon.
    int failTransfer(int error);

private:
    void logOn(const ShareCredentials& credentials);

    SmbShares& m_shares;
    QString m_path;
    ShareConnectionTable::UseKind m_use;
    Kind m_kind;
    ShareAddress m_address;
    ShareConnectionTable::ShareUse m_shareUse;
    SmbContextPool::Lease m_lease;
    int m_error = 0;
};

} // namespace tarvo
