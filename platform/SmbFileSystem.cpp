#include "platform/SmbFileSystem.h"

#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"
#include "platform/PosixErrors.h"
#include "platform/SmbCalls.h"

#include <cerrno>
#include <libsmbclient.h>
#include <QRandomGenerator>
#include <QUrl>
#include <sys/stat.h>

namespace tarvo {

namespace {

bool isConnectionLoss(int error)
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

// libsmbclient packs the DOS attributes into the mode bits of a stat: no
// write bit for read-only, execute bits for archive, system and hidden (a
// folder always has them, so for folders only read-only can be told).
FileInfo infoFromStat(const struct stat& status)
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
    info.CreationTime = fileTimeFromTimespec(status.st_ctim);
    info.LastAccessTime = fileTimeFromTimespec(status.st_atim);
    info.LastWriteTime = fileTimeFromTimespec(status.st_mtim);
    info.Size = folder ? 0 : quint64(status.st_size);
    return info;
}

// A name that a server sends back is used only when it names one entry of
// the folder: never a separator, never "." or "..".
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\');
}

// Which logged-on contexts can serve a share for a user.
QString shareKey(const ShareAddress& address, const QString& userName)
{
    return address.remoteName() + u'\n' + userName;
}

// A context logged on to the credentials' share: one from the pool that
// already is, or one that logs on now. Empty when there is no context;
// `error` is the errno of a logon that failed, else 0.
SmbContextPool::Lease leaseFor(SmbContextPool& contexts, const ShareCredentials& credentials,
                               int& error)
{
    error = 0;
    const QString key = shareKey(credentials.address, credentials.userName);
    SmbContextPool::Lease lease = contexts.acquire(credentials, key);
    if (!lease || lease.knowsShare(key))
        return lease;
    ShareAddress top = credentials.address;
    top.folders.clear();
    if (smb::connect(lease.context(), SmbFileSystem::url(top).constData()) != 0)
        error = errno;
    else
        lease.addShare(key);
    return lease;
}

// A new file that must not be there yet. Open for reading as well: over
// SMB2 a handle without read access cannot ask for the file's size, which
// the copy checks before the part becomes its target.
smb::File* createNew(smb::Context* context, const QByteArray& url)
{
    return smb::open(context, url.constData(), O_RDWR | O_CREAT | O_EXCL, 0644);
}

} // namespace

// One operation on one share: the path's address, a use of its connection
// and a context that logs on with that connection's credentials.
class SmbOperation
{
public:
    SmbOperation(SmbFileSystem& files, const QString& path, ShareConnectionTable::UseKind kind)
        : m_files(files)
        , m_path(path)
        , m_kind(kind)
    {
        const std::optional<ShareAddress> address = ShareAddress::parse(path);
        if (!address) {
            m_error = PlatformError::InvalidName;
            return;
        }
        m_address = *address;
        const std::optional<ShareCredentials> credentials =
            files.m_connections.credentialsFor(m_address, kind, m_use);
        if (!credentials) {
            m_error = PlatformError::AccessDenied; // no logon for this share
            return;
        }
        // Logging on runs alone; once this context holds the share's session,
        // its calls run beside those of other contexts.
        int logonError = 0;
        m_lease = leaseFor(files.m_contexts, *credentials, logonError);
        if (!m_lease)
            m_error = PlatformError::NotEnoughMemory;
        else if (logonError)
            m_error = fail(logonError);
    }

    // Another operation on the same path, with a context of its own.
    std::unique_ptr<SmbOperation> sibling() const
    {
        return std::make_unique<SmbOperation>(m_files, m_path, m_kind);
    }

    int error() const { return m_error; }
    smb::Context* context() const { return m_lease.context(); }
    void leaveBehind(const QByteArray& partUrl) { m_files.rememberLeftover(m_address, partUrl); }
    ShareFolderNames& folderNames() { return m_files.m_folderNames; }
    const ShareAddress& address() const { return m_address; }
    QByteArray url() const { return SmbFileSystem::url(m_address); }

    // The code for a failed call; a share that stopped answering makes its
    // connections unavailable.
    int fail(int error)
    {
        if (isConnectionLoss(error))
            m_files.m_connections.markUnavailable(m_address);
        return platformErrorFromErrno(error);
    }

    // A read or write on an open file fails for few reasons besides a lost
    // session (whose errno libsmbclient does not report consistently): treat
    // every other failure as one, which at worst costs a new logon.
    int failTransfer(int error)
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
            m_files.m_connections.markUnavailable(m_address);
            return platformErrorFromErrno(error);
        }
    }

private:
    SmbFileSystem& m_files;
    QString m_path;
    ShareConnectionTable::UseKind m_kind;
    ShareAddress m_address;
    ShareConnectionTable::ShareUse m_use;
    SmbContextPool::Lease m_lease;
    int m_error = PlatformError::Success;
};

namespace {

// A handle for blocks at offsets of one file: either the file's own handle,
// borrowed, or one more with a session of its own that logs on in start(),
// on the thread that uses it, while the others already move blocks.
class SmbBlockHandle
{
public:
    SmbBlockHandle(SmbOperation& operation, smb::File* file)
        : m_operation(&operation)
        , m_file(file)
    {}
    SmbBlockHandle(const SmbOperation& origin, QByteArray url, int flags)
        : m_origin(&origin)
        , m_url(std::move(url))
        , m_flags(flags)
    {}
    ~SmbBlockHandle()
    {
        if (m_session && m_file)
            smb::close(m_session->context(), m_file);
    }
    SmbBlockHandle(const SmbBlockHandle&) = delete;
    SmbBlockHandle& operator=(const SmbBlockHandle&) = delete;

    bool start()
    {
        if (m_file)
            return true;
        m_session = m_origin->sibling();
        if (m_session->error())
            return false;
        m_operation = m_session.get();
        m_file = smb::open(m_session->context(), m_url.constData(), m_flags, 0);
        return m_file != nullptr;
    }

    // Moves to offset; 0 or the platform's error code.
    int seek(quint64 offset)
    {
        if (smb::lseek(m_operation->context(), m_file, off_t(offset), SEEK_SET) < 0)
            return m_operation->failTransfer(errno);
        return PlatformError::Success;
    }

    SmbOperation& operation() const { return *m_operation; }
    smb::File* file() const { return m_file; }

private:
    SmbOperation* m_operation = nullptr;
    smb::File* m_file = nullptr;
    const SmbOperation* m_origin = nullptr;
    QByteArray m_url;
    int m_flags = 0;
    std::unique_ptr<SmbOperation> m_session;
};

class SmbBlockReader : public BlockReader
{
public:
    template <typename... Arguments>
    explicit SmbBlockReader(Arguments&&... arguments)
        : m_handle(std::forward<Arguments>(arguments)...)
    {}

    bool start() override { return m_handle.start(); }

    qint64 readAt(quint64 offset, char* buffer, qint64 size) override
    {
        if (int error = m_handle.seek(offset))
            return -error;
        smb::Context* context = m_handle.operation().context();
        qint64 done = 0;
        while (done < size) {
            const ssize_t got =
                smb::read(context, m_handle.file(), buffer + done, size_t(size - done));
            if (got < 0)
                return -m_handle.operation().failTransfer(errno);
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }

private:
    SmbBlockHandle m_handle;
};

class SmbSource : public SourceFile
{
public:
    SmbSource(std::unique_ptr<SmbOperation> operation, smb::File* file, const FileInfo& info)
        : m_operation(std::move(operation))
        , m_file(file)
        , m_info(info)
    {}
    ~SmbSource() override { smb::close(m_operation->context(), m_file); }

    const FileInfo& info() const override { return m_info; }

    int currentInfo(FileInfo& info) override
    {
        struct stat status;
        if (smb::fstat(m_operation->context(), m_file, &status) != 0)
            return m_operation->failTransfer(errno);
        info = infoFromStat(status);
        return PlatformError::Success;
    }

    qint64 read(char* buffer, qint64 size) override
    {
        smb::Context* context = m_operation->context();
        const ssize_t got = smb::read(context, m_file, buffer, size_t(size));
        return got >= 0 ? got : -m_operation->failTransfer(errno);
    }

    std::vector<std::unique_ptr<BlockReader>> parallelReaders(int count) override
    {
        std::vector<std::unique_ptr<BlockReader>> readers;
        // Under the one library lock the readers would only take turns.
        if (!smb::threadsEnabled())
            return readers;
        // The source's own handle reads at once; each of the others logs on
        // first, on its own thread.
        readers.push_back(std::make_unique<SmbBlockReader>(*m_operation, m_file));
        for (int i = 0; i < count; ++i)
            readers.push_back(
                std::make_unique<SmbBlockReader>(*m_operation, m_operation->url(), O_RDONLY));
        return readers;
    }

private:
    std::unique_ptr<SmbOperation> m_operation;
    smb::File* m_file;
    FileInfo m_info;
};

// Writes all of data at the file's offset: a share may take a block in parts.
int writeWhole(SmbOperation& operation, smb::File* file, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = smb::write(operation.context(), file, data, size_t(size));
        if (done <= 0)
            return done < 0 ? operation.failTransfer(errno) : PlatformError::WriteFault;
        data += done;
        size -= done;
    }
    return PlatformError::Success;
}

class SmbBlockWriter : public BlockWriter
{
public:
    template <typename... Arguments>
    explicit SmbBlockWriter(Arguments&&... arguments)
        : m_handle(std::forward<Arguments>(arguments)...)
    {}

    bool start() override { return m_handle.start(); }

    int writeAt(quint64 offset, const char* data, qint64 size) override
    {
        if (int error = m_handle.seek(offset))
            return error;
        return writeWhole(m_handle.operation(), m_handle.file(), data, size);
    }

private:
    SmbBlockHandle m_handle;
};

// Every name in a share folder, folded to one case; nothing when the folder
// cannot be listed (libsmbclient reads the whole listing when it opens it).
std::optional<QSet<QString>> foldedNames(smb::Context* context, const QByteArray& folderUrl)
{
    smb::File* dir = smb::opendir(context, folderUrl.constData());
    if (!dir)
        return std::nullopt;
    QSet<QString> names;
    while (const libsmb_file_info* entry = smb::readdirplus(context, dir))
        names.insert(QString::fromUtf8(entry->name).toCaseFolded());
    smb::closedir(context, dir);
    return names;
}

class SmbPart : public PartFile
{
public:
    SmbPart(std::unique_ptr<SmbOperation> operation, smb::File* file, QByteArray partUrl)
        : m_operation(std::move(operation))
        , m_file(file)
        , m_partUrl(std::move(partUrl))
    {}
    ~SmbPart() override
    {
        smb::Context* context = m_operation->context();
        if (m_file)
            smb::close(context, m_file);
        if (!m_committed && smb::unlink(context, m_partUrl.constData()) != 0 && errno != ENOENT)
            m_operation->leaveBehind(m_partUrl);
    }

    int write(const char* data, qint64 size) override
    {
        return writeWhole(*m_operation, m_file, data, size);
    }

    std::vector<std::unique_ptr<BlockWriter>> parallelWriters(int count) override
    {
        std::vector<std::unique_ptr<BlockWriter>> writers;
        // Under the one library lock the writers would only take turns.
        if (!smb::threadsEnabled())
            return writers;
        // The part's own handle writes at once; each of the others logs on
        // first, on its own thread.
        writers.push_back(std::make_unique<SmbBlockWriter>(*m_operation, m_file));
        for (int i = 0; i < count; ++i)
            writers.push_back(std::make_unique<SmbBlockWriter>(*m_operation, m_partUrl, O_WRONLY));
        return writers;
    }

    int storedSize(quint64& size) override
    {
        struct stat status;
        if (smb::fstat(m_operation->context(), m_file, &status) != 0)
            return m_operation->failTransfer(errno);
        size = quint64(status.st_size);
        return PlatformError::Success;
    }

    int commit(const FileInfo& source, bool failIfExists) override
    {
        smb::Context* context = m_operation->context();
        if (smb::close(context, std::exchange(m_file, nullptr)) != 0)
            return m_operation->fail(errno);
        const QByteArray target = m_operation->url();
        ShareAddress folder = m_operation->address();
        const QString name = folder.folders.takeLast();
        const QByteArray folderUrl = SmbFileSystem::url(folder);
        // The server's rename replaces whatever holds the target's name, even
        // a read-only file or an empty folder: look first, and keep those as
        // the device keeps them, unless a recent listing of the folder says
        // that nothing holds the name.
        const auto listFolder = [&] { return foldedNames(context, folderUrl); };
        if (failIfExists ||
            !m_operation->folderNames().isKnownAbsent(folderUrl, name, listFolder)) {
            struct stat status;
            if (smb::stat(context, target.constData(), &status) == 0) {
                if (failIfExists)
                    return PlatformError::FileExists;
                if (S_ISDIR(status.st_mode) || !(status.st_mode & S_IWUSR))
                    return PlatformError::AccessDenied;
            } else if (errno != ENOENT) {
                return m_operation->fail(errno);
            }
        }
        // Closing sets the write time, so the source's is set after the close:
        // libsmbclient can set times only by path, never through the handle.
        const timespec access = timespecFromFileTime(source.LastAccessTime);
        const timespec write = timespecFromFileTime(source.LastWriteTime);
        timeval times[2] = {{access.tv_sec, access.tv_nsec / 1000},
                            {write.tv_sec, write.tv_nsec / 1000}};
        if (smb::utimes(context, m_partUrl.constData(), times) != 0)
            return m_operation->fail(errno);
        if (smb::rename(context, m_partUrl.constData(), target.constData()) != 0)
            return m_operation->fail(errno);
        m_committed = true;
        m_operation->folderNames().added(folderUrl, name);
        return PlatformError::Success;
    }

private:
    std::unique_ptr<SmbOperation> m_operation;
    smb::File* m_file;
    QByteArray m_partUrl;
    bool m_committed = false;
};

} // namespace

SmbFileSystem::SmbFileSystem(ShareConnectionTable& connections, SmbContextPool& contexts)
    : m_connections(connections)
    , m_contexts(contexts)
{}

QByteArray SmbFileSystem::url(const ShareAddress& address)
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

int SmbFileSystem::logOn(const ShareCredentials& credentials)
{
    SmbContextPool::Lease lease = m_contexts.fresh(credentials);
    if (!lease)
        return PlatformError::NotEnoughMemory;
    ShareAddress top = credentials.address;
    top.folders.clear();
    if (smb::connect(lease.context(), url(top).constData()) != 0) {
        switch (errno) {
        case EACCES:
        case EPERM:
            return PlatformError::LogonFailure;
        case ENOENT:
        case ENODEV:
        case ENOTDIR:
            return PlatformError::BadNetName;
        case ETIMEDOUT:
        case EHOSTDOWN:
            return PlatformError::BadNetPath; // no server answers there
        default:
            return platformErrorFromErrno(errno);
        }
    }
    lease.addShare(shareKey(top, credentials.userName));
    removeLeftovers(lease.context(), credentials.address);
    return PlatformError::Success; // the lease goes to the pool, logged on
}

void SmbFileSystem::rememberLeftover(const ShareAddress& share, const QByteArray& url)
{
    QMutexLocker lock(&m_leftoverMutex);
    m_leftovers.append({share, url});
}

void SmbFileSystem::removeLeftovers(smb::Context* context, const ShareAddress& share)
{
    QList<LeftoverPart> mine;
    {
        QMutexLocker lock(&m_leftoverMutex);
        for (qsizetype i = m_leftovers.size() - 1; i >= 0; --i) {
            if (m_leftovers.at(i).share.sameShare(share))
                mine.append(m_leftovers.takeAt(i));
        }
    }
    for (const LeftoverPart& part : std::as_const(mine)) {
        if (smb::unlink(context, part.url.constData()) != 0 && errno != ENOENT)
            rememberLeftover(part.share, part.url); // the next logon tries again
    }
}

bool SmbFileSystem::canOpenForReading(const QString& path)
{
    SmbOperation operation(*this, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return false;
    smb::Context* context = operation.context();
    const QByteArray address = operation.url();
    if (smb::File* file = smb::open(context, address.constData(), O_RDONLY, 0)) {
        smb::close(context, file);
        return true;
    }
    struct stat status;
    return smb::stat(context, address.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

int SmbFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    SmbOperation operation(*this, path, ShareConnectionTable::UseKind::Listing);
    if (operation.error())
        return operation.error();
    smb::Context* context = operation.context();
    struct stat status;
    if (smb::stat(context, operation.url().constData(), &status) != 0)
        return operation.fail(errno);
    info = infoFromStat(status);
    return PlatformError::Success;
}

int SmbFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    SmbOperation operation(*this, folder, ShareConnectionTable::UseKind::Listing);
    if (operation.error())
        return operation.error();
    smb::Context* context = operation.context();
    smb::takeUnrepresentableNameNote();
    smb::File* dir = smb::opendir(context, operation.url().constData());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR)
            return PlatformError::PathNotFound;
        // The library drops the whole listing for one name it cannot
        // represent, and no other listing call of it gets past that name.
        if (smb::takeUnrepresentableNameNote())
            return PlatformError::UnreadableName;
        return operation.fail(errno);
    }
    while (const libsmb_file_info* entry = smb::readdirplus(context, dir)) {
        DirEntry found;
        found.Name = QString::fromUtf8(entry->name);
        if (!isPlainName(found.Name))
            continue;
        found.Info.Attributes = entry->attrs;
        found.Info.CreationTime = fileTimeFromTimespec(entry->btime_ts);
        found.Info.LastAccessTime = fileTimeFromTimespec(entry->atime_ts);
        found.Info.LastWriteTime = fileTimeFromTimespec(entry->mtime_ts);
        found.Info.Size = found.Info.isDirectory() ? 0 : entry->size;
        if (!visit(found))
            break;
    }
    smb::closedir(context, dir);
    return PlatformError::Success;
}

CopyOutcome SmbFileSystem::copy(const CopyRequest& request)
{
    return copyAcrossStores(*this, *this, request);
}

bool SmbFileSystem::canRename(const QString& source, const QString& target) const
{
    const std::optional<ShareAddress> from = ShareAddress::parse(source);
    const std::optional<ShareAddress> to = ShareAddress::parse(target);
    return from && to && from->sameShare(*to);
}

int SmbFileSystem::moveFile(const QString& source, const QString& target, const FileInfo* copiedAs)
{
    if (!canRename(source, target))
        return moveAcrossStores(*this, source, *this, target, copiedAs);
    SmbOperation operation(*this, source, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return operation.error();
    const std::optional<ShareAddress> to = ShareAddress::parse(target);
    smb::Context* context = operation.context();
    const QByteArray from = operation.url();
    const QByteArray toUrl = url(*to);
    struct stat status;
    if (smb::stat(context, from.constData(), &status) != 0)
        return operation.fail(errno);
    if (copiedAs && !SameVersion(infoFromStat(status), *copiedAs))
        return PlatformError::SourceChanged;
    // libsmbclient's rename replaces an existing target; a move never does.
    if (smb::stat(context, toUrl.constData(), &status) == 0)
        return PlatformError::FileExists;
    if (smb::rename(context, from.constData(), toUrl.constData()) != 0)
        return operation.fail(errno);
    if (ShareAddress toFolder = *to; !toFolder.folders.isEmpty()) {
        const QString name = toFolder.folders.takeLast();
        m_folderNames.added(url(toFolder), name);
    }
    return PlatformError::Success;
}

int SmbFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    SmbOperation operation(*this, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return operation.error();
    smb::Context* context = operation.context();
    if (copiedAs) {
        struct stat status;
        if (smb::stat(context, operation.url().constData(), &status) != 0)
            return operation.fail(errno);
        if (!SameVersion(infoFromStat(status), *copiedAs))
            return PlatformError::SourceChanged;
    }
    if (smb::unlink(context, operation.url().constData()) != 0)
        return operation.fail(errno);
    return PlatformError::Success;
}

int SmbFileSystem::openSource(const QString& path, std::unique_ptr<SourceFile>& file)
{
    auto operation =
        std::make_unique<SmbOperation>(*this, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation->error())
        return operation->error();
    smb::Context* context = operation->context();
    smb::File* handle = smb::open(context, operation->url().constData(), O_RDONLY, 0);
    if (!handle)
        return operation->fail(errno);
    struct stat status;
    if (smb::fstat(context, handle, &status) != 0) {
        const int error = operation->fail(errno);
        smb::close(context, handle);
        return error;
    }
    if (S_ISDIR(status.st_mode)) { // libsmbclient opens a folder as well
        smb::close(context, handle);
        return PlatformError::AccessDenied;
    }
    file = std::make_unique<SmbSource>(std::move(operation), handle, infoFromStat(status));
    return PlatformError::Success;
}

int SmbFileSystem::createPart(const QString& target, std::unique_ptr<PartFile>& file)
{
    auto operation =
        std::make_unique<SmbOperation>(*this, target, ShareConnectionTable::UseKind::OpenFile);
    if (operation->error())
        return operation->error();
    if (operation->address().folders.isEmpty())
        return PlatformError::AccessDenied; // the share itself is no file
    ShareAddress part = operation->address();
    part.folders.last() = QStringLiteral(".tarvo-%1.part")
                              .arg(QRandomGenerator::global()->generate64(), 16, 16, QChar(u'0'));
    smb::Context* context = operation->context();
    ShareAddress folder = part;
    const QString partName = folder.folders.takeLast();
    QByteArray partUrl;
    smb::File* handle = nullptr;
    if (m_partFolders.wantsPartFolder(url(folder)))
        handle = createInPartFolder(context, folder, partName, partUrl);
    if (!handle) {
        partUrl = url(part);
        handle = createNew(context, partUrl);
    }
    if (!handle)
        return errno == ENOENT ? PlatformError::PathNotFound : operation->fail(errno);
    file = std::make_unique<SmbPart>(std::move(operation), handle, partUrl);
    return PlatformError::Success;
}

smb::File* SmbFileSystem::createInPartFolder(smb::Context* context, const ShareAddress& folder,
                                             const QString& partName, QByteArray& partUrl)
{
    ShareAddress partFolder = folder;
    partFolder.folders.append(SharePartFolders::folderName());
    ShareAddress part = partFolder;
    part.folders.append(partName);
    partUrl = url(part);
    smb::File* handle = createNew(context, partUrl);
    // Not there yet, or removed by another run of the program that made it.
    if (!handle && errno == ENOENT) {
        if (smb::mkdir(context, url(partFolder).constData(), 0755) == 0)
            m_partFolders.made(partFolder);
        handle = createNew(context, partUrl);
    }
    // A lost connection fails the copy beside the target as well, and is
    // reported there; anything else keeps this folder's parts beside.
    if (!handle && !isConnectionLoss(errno))
        m_partFolders.unusable(url(folder));
    return handle;
}

void SmbFileSystem::signOff(const ShareCredentials& credentials)
{
    const QList<ShareAddress> folders = m_partFolders.takeMade(&credentials.address);
    if (!folders.isEmpty())
        removePartFolders(credentials, folders);
}

void SmbFileSystem::removePartFolders(const ShareCredentials& credentials,
                                      const QList<ShareAddress>& folders)
{
    int logonError = 0;
    SmbContextPool::Lease lease = leaseFor(m_contexts, credentials, logonError);
    if (!lease || logonError)
        return;
    // Only an empty folder goes: one that still holds parts is in use by
    // another run of the program, which removes it when it is done.
    for (const ShareAddress& folder : folders)
        smb::rmdir(lease.context(), url(folder).constData());
}

SmbFileSystem::~SmbFileSystem()
{
    // The pool keeps the first logon to a share for that share's other folders.
    for (const ShareAddress& folder : m_partFolders.takeMade()) {
        ShareConnectionTable::ShareUse use;
        if (const std::optional<ShareCredentials> credentials =
                m_connections.credentialsFor(folder, ShareConnectionTable::UseKind::Listing, use))
            removePartFolders(*credentials, {folder});
    }
}

} // namespace tarvo
