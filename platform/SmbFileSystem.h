#pragma once

#include "platform/FileStore.h"
#include "platform/ShareConnectionTable.h"
#include "platform/ShareFolderNames.h"
#include "platform/SharePartFolders.h"
#include "platform/SmbContextPool.h"

#include <QList>
#include <QMutex>

struct _SMBCCTX;
struct _SMBCFILE;

namespace tarvo {

// Files on SMB shares ("\\server\share\folder\file") through libsmbclient,
// with the credentials of the named connection to that share.
class SmbFileSystem : public FileStore
{
public:
    SmbFileSystem(ShareConnectionTable& connections, SmbContextPool& contexts);
    // Removes the part folders still standing on shares that answer.
    ~SmbFileSystem() override;

    bool canOpenForReading(const QString& path) override;
    int readAttributes(const QString& path, FileInfo& info) override;
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override;
    CopyOutcome copy(const CopyRequest& request) override;
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override;
    int deleteFile(const QString& path, const FileInfo* copiedAs) override;

    int openSource(const QString& path, std::unique_ptr<SourceFile>& file) override;
    int createPart(const QString& target, std::unique_ptr<PartFile>& file) override;
    bool canRename(const QString& source, const QString& target) const override;
    // 2 MiB: each libsmbclient read or write is one request that waits for its
    // answer, so blocks must be big; 2 MiB wrote about 1.7x faster than 1 MiB
    // over loopback and read as fast, 4 and 8 MiB gained nothing more.
    qint64 copyBufferSize() const override { return 2 << 20; }

    // The logon that adding a connection makes: opens the share's top folder
    // with a context of its own, so a wrong password or share fails here.
    int logOn(const ShareCredentials& credentials);
    // The end of a logon to a share: removes the part folders made there.
    void signOff(const ShareCredentials& credentials);

    // The smb:// address of a path below a share, every name URL-encoded.
    static QByteArray url(const ShareAddress& address);

private:
    friend class SmbOperation;

    // A part file that could not be removed because the server had gone
    // away; the next logon to its share removes it.
    struct LeftoverPart
    {
        ShareAddress share;
        QByteArray url;
    };
    void rememberLeftover(const ShareAddress& share, const QByteArray& url);
    void removeLeftovers(_SMBCCTX* context, const ShareAddress& share);
    // A new part file for a target in `folder` inside the folder's part
    // folder, making that when needed; null when it cannot go there.
    _SMBCFILE* createInPartFolder(_SMBCCTX* context, const ShareAddress& folder,
                                  const QString& partName, QByteArray& partUrl);
    void removePartFolders(const ShareCredentials& credentials, const QList<ShareAddress>& folders);

    ShareConnectionTable& m_connections;
    SmbContextPool& m_contexts;
    ShareFolderNames m_folderNames;
    SharePartFolders m_partFolders;
    QMutex m_leftoverMutex;
    QList<LeftoverPart> m_leftovers;
};

} // namespace tarvo
