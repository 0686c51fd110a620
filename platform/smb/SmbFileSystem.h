#pragma once

#include "platform/copy/FileStore.h"
#include "platform/smb/SmbHandles.h"
#include "platform/smb/SmbOperation.h"

#include <mutex>
#include <QHash>

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
    // Learnt once per share: a file made there is given a time with an odd
    // second and a fraction, and the time read back tells what the share
    // keeps (FAT disks behind a NAS, and Samba's "dos filetime resolution",
    // keep even seconds).
    FileTime timeResolution(const QString& folder) override;

    int openSource(const QString& path, std::unique_ptr<SourceFile>& file) override;
    int createPart(const QString& target, bool alone, const ResumeNote* resume,
                   std::unique_ptr<PartFile>& file) override;
    quint64 resumablePart(const QString& target, const ResumeNote& copy) override;
    quint64 resumableBytes(const QString& source, const FileInfo& version,
                           const QString& target) override;
    bool canRename(const QString& source, const QString& target) const override;
    bool movesSideBySide() const override { return true; }
    void runStarts() override { m_shares.sweeps.forget(); }
    // 2 MiB: each libsmbclient read or write is one request that waits for its
    // answer, so blocks must be big; 2 MiB wrote about 1.7x faster than 1 MiB
    // over loopback and read as fast, 4 and 8 MiB gained nothing more.
    qint64 copyBufferSize() const override { return 2 << 20; }

    // The logon that adding a connection makes, so that a wrong password or
    // share fails there: with a context already logged on with the very same
    // credentials, or with a new one.
    int logOn(const ShareCredentials& credentials);
    // The end of a logon to a share: removes the part folders used there.
    void signOff(const ShareCredentials& credentials);

private:
    // A new part for a target in `folder`, at the first place the folder
    // accepts; null with errno when it refuses the place. `alone`: no other
    // handle may write it while it is open.
    smb::OpenFile createAt(smb::Context* context, const ShareAddress& folder,
                           SharePartFolders::Place place, QByteArray& partUrl, bool alone = false);
    // Removes the parts of this process's failed copies on the share that
    // could not be removed when the copy failed.
    void removeLeftovers(smb::Context* context, const ShareAddress& share);
    // Removes what dead runs of the program left in the folder.
    void sweepLeftovers(smb::Context* context, const ShareAddress& folder);
    void removePartFolders(const ShareCredentials& credentials, const QList<ShareAddress>& folders);

    SmbShares m_shares;
    std::mutex m_resolutionMutex;
    QHash<QString, FileTime> m_resolutions; // by share
};

} // namespace tarvo
