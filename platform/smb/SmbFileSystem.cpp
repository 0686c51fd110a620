#include "platform/smb/SmbFileSystem.h"

#include "platform/copy/PartNames.h"
#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"
#include "platform/PosixErrors.h"
#include "platform/smb/SmbDialectProbe.h"
#include "platform/smb/SmbStreams.h"

#include <cerrno>
#include <fcntl.h>
#include <libsmbclient.h>
#include <QHash>
#include <sys/stat.h>
#include <thread>

namespace tarvo {

namespace {

using Place = SharePartFolders::Place;

// A name that a server sends back is used only when it names one entry of
// the folder: never a separator, never "." or "..".
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\');
}

// A new file that must not be there yet. Open for reading as well: over
// SMB2 a handle without read access cannot ask for the file's size, which
// the copy checks before the part becomes its target.
// `alone`: no other handle may write it while it is open.
smb::OpenFile createNew(smb::Context* context, const QByteArray& url, bool alone = false)
{
    constexpr int flags = O_RDWR | O_CREAT | O_EXCL;
    return alone ? smb::openFileAlone(context, url.constData(), flags, 0644)
                 : smb::openFile(context, url.constData(), flags, 0644);
}

// How a server refuses a name it will not hold: a vetoed name is "not
// found", an invalid one "invalid", and some refuse dot files outright.
bool isNameRefusal(int error)
{
    switch (error) {
    case ENOENT:
    case EACCES:
    case EPERM:
    case EINVAL:
    case EILSEQ:
    case ENAMETOOLONG:
    case EEXIST:
        return true;
    default:
        return false;
    }
}

bool isFolder(smb::Context* context, const QByteArray& url)
{
    struct stat status;
    return smb::stat(context, url.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

ShareAddress below(ShareAddress folder, const QString& name)
{
    folder.folders.append(name);
    return folder;
}

// The entries of a folder as the server lists them, the program's own
// temporary files included; false when it cannot be listed.
template <typename Visit> bool listRaw(smb::Context* context, const QByteArray& url, Visit visit)
{
    const smb::OpenFolder dir = smb::openFolder(context, url.constData());
    if (!dir)
        return false;
    while (const libsmb_file_info* entry = smb::readdirplus(context, dir.get()))
        visit(*entry);
    return true;
}

// The directory part of a file's address, with its last slash.
QByteArray directoryOf(const QByteArray& url)
{
    return url.left(url.lastIndexOf('/') + 1);
}

// A small file read whole; empty when it cannot be read.
// The text of a small file whose size a listing gave: asking for exactly
// that many bytes takes one read, where reading on to the end took two more
// round trips. At most 4 KiB.
QByteArray readSmall(smb::Context* context, const QByteArray& url, quint64 size)
{
    const smb::OpenFile file = smb::openFile(context, url.constData(), O_RDONLY, 0);
    if (!file)
        return {};
    QByteArray text(qsizetype(qMin<quint64>(size, 4096)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < text.size()) {
        const ssize_t got =
            smb::read(context, file.get(), text.data() + done, size_t(text.size() - done));
        if (got <= 0)
            break;
        done += got;
    }
    text.truncate(done);
    return text;
}

int logonError(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return PlatformError::LogonFailure;
    case ENOENT:
    case ENODEV:
    case ENOTDIR:
        return PlatformError::BadNetName;
    case ETIMEDOUT:
        return PlatformError::SemTimeout; // something there, but no answer
    case EHOSTDOWN:
        return PlatformError::BadNetPath; // no server answers there
    default:
        return IsServerFull(error) ? PlatformError::NetworkBusy : platformErrorFromErrno(error);
    }
}

} // namespace

SmbFileSystem::SmbFileSystem(ShareConnectionTable& connections, SmbContextPool& contexts)
    : m_shares(connections, contexts)
{}

int SmbFileSystem::logOn(const ShareCredentials& credentials)
{
    SmbContextPool& contexts = m_shares.contexts;
    const QString key = SmbContextPool::logonKey(credentials);
    ShareAddress top = credentials.address;
    top.folders.clear();
    const QByteArray topUrl = SmbUrl(top);
    const auto loggedOn = [&](SmbContextPool::Lease& lease) {
        lease.addLogon(key);
        removeLeftovers(lease.context(), credentials.address);
        return PlatformError::Success; // the lease goes to the pool, logged on
    };
    for (int attempt = 0;; ++attempt) {
        SmbContextPool::Lease lease = contexts.fresh(credentials);
        if (!lease)
            return PlatformError::NotEnoughMemory;
        if (smb::connect(lease.context(), topUrl.constData()) == 0)
            return loggedOn(lease);
        const int error = errno;
        lease.discard();
        // The server's first listing of its shares goes to an RPC service
        // that a freshly started Samba starts on demand; until it answers,
        // libsmbclient says the logon ran out of memory. Asked again a
        // moment later, the same server lets the logon through.
        if (error == ENOMEM && attempt < 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50 << attempt));
            continue;
        }
        // A server that offers only SMB1 drops the connection as one that
        // takes no more connections does; its answer to an offer tells.
        if (IsServerFull(error) && attempt == 0 &&
            ServerSpeaksOnlySmb1(top.host, top.port, ShareConnections::TimeoutMilliseconds))
            return PlatformError::ServerSmb1Only;
        if (!IsServerFull(error) || attempt == 5)
            return logonError(error);
        // A server that takes no more connections: a context of the process
        // that is logged on with these very credentials proves them as well
        // (the listing before a transfer, say). Otherwise the process's own
        // idle connections may be what fills it: close them, and give the
        // server's processes for them a moment to go.
        if (SmbContextPool::Lease known =
                contexts.acquireLoggedOn(credentials, key, std::chrono::milliseconds(0))) {
            if (smb::connect(known.context(), topUrl.constData()) == 0)
                return loggedOn(known);
            known.discard();
        }
        contexts.closeIdle(SmbContextPool::serverOf(key));
        std::this_thread::sleep_for(std::chrono::milliseconds(20 << attempt));
    }
}

bool SmbFileSystem::canOpenForReading(const QString& path)
{
    SmbOperation operation(m_shares, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return false;
    smb::Context* context = operation.context();
    const QByteArray address = operation.url();
    if (const smb::OpenFile file = smb::openFile(context, address.constData(), O_RDONLY, 0))
        return true;
    return isFolder(context, address);
}

int SmbFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    SmbOperation operation(m_shares, path, ShareConnectionTable::UseKind::Listing);
    if (operation.error())
        return operation.error();
    struct stat status;
    if (smb::stat(operation.context(), operation.url().constData(), &status) != 0)
        return NameError(operation, errno); // a name the server refuses says so
    info = SmbInfoFromStat(status);
    return PlatformError::Success;
}

int SmbFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    SmbOperation operation(m_shares, folder, ShareConnectionTable::UseKind::Listing);
    if (operation.error())
        return operation.error();
    smb::Context* context = operation.context();
    smb::takeUnrepresentableNameNote();
    const smb::OpenFolder dir = smb::openFolder(context, operation.url().constData());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR)
            return PlatformError::PathNotFound;
        // The library drops the whole listing for one name it cannot
        // represent, and no other listing call of it gets past that name.
        if (smb::takeUnrepresentableNameNote())
            return PlatformError::UnreadableName;
        return operation.fail(errno);
    }
    while (const libsmb_file_info* entry = smb::readdirplus(context, dir.get())) {
        DirEntry found;
        found.Name = QString::fromUtf8(entry->name);
        if (!isPlainName(found.Name) || PartNames::isProgramOwn(found.Name))
            continue;
        found.Info.Attributes = entry->attrs;
        found.Info.CreationTime = fileTimeFromTimespec(entry->btime_ts);
        found.Info.LastAccessTime = fileTimeFromTimespec(entry->atime_ts);
        found.Info.LastWriteTime = fileTimeFromTimespec(entry->mtime_ts);
        // The server's change time, as a stat reports it; the listing
        // carries no file id (FileId stays 0, unknown).
        found.Info.ChangeTime = fileTimeFromTimespec(entry->ctime_ts);
        found.Info.Size = found.Info.isDirectory() ? 0 : entry->size;
        if (!visit(found))
            break;
    }
    return PlatformError::Success;
}

CopyOutcome SmbFileSystem::copy(const CopyRequest& request)
{
    return copyAcrossStores(*this, *this, request);
}

FileTime SmbFileSystem::timeResolution(const QString& folder)
{
    const std::optional<ShareAddress> address = ShareAddress::parse(folder);
    if (!address)
        return MicrosecondTicks;
    const QString share = address->remoteName().toCaseFolded();
    {
        std::lock_guard lock(m_resolutionMutex);
        if (const auto known = m_resolutions.constFind(share); known != m_resolutions.cend())
            return *known;
    }
    SmbOperation operation(m_shares, folder, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return MicrosecondTicks; // unknown: compare times as they are
    smb::Context* context = operation.context();
    QByteArray probeUrl;
    smb::OpenFile probe = createAt(context, *address, Place::Hidden, probeUrl);
    if (!probe)
        probe = createAt(context, *address, Place::Plain, probeUrl);
    if (!probe)
        return MicrosecondTicks;
    probe.close();
    constexpr qint64 second = qint64(FileTimeTicksPerSecond);
    timeval given[2] = {{1700000001, 500000}, {1700000001, 500000}};
    struct stat status;
    FileTime resolution = 0; // the server kept no time it was given
    if (smb::utimes(context, probeUrl.constData(), given) == 0 &&
        smb::stat(context, probeUrl.constData(), &status) == 0) {
        const qint64 kept = qint64(fileTimeFromTimespec(status.st_mtim));
        const qint64 wanted = (UnixEpochInFileTimeSeconds + 1700000001) * second + second / 2;
        const qint64 off = qAbs(kept - wanted);
        resolution = off == 0           ? MicrosecondTicks
                     : off < second     ? FileTime(second)
                     : off < 2 * second ? FileTime(2 * second)
                                        : 0;
    }
    smb::unlink(context, probeUrl.constData());
    std::lock_guard lock(m_resolutionMutex);
    m_resolutions.insert(share, resolution);
    return resolution;
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
    SmbOperation operation(m_shares, source, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return operation.error();
    const std::optional<ShareAddress> to = ShareAddress::parse(target);
    smb::Context* context = operation.context();
    const QByteArray from = operation.url();
    const QByteArray toUrl = SmbUrl(*to);
    struct stat status;
    if (smb::stat(context, from.constData(), &status) != 0)
        return operation.fail(errno);
    if (copiedAs && !SameVersion(SmbInfoFromStat(status), *copiedAs))
        return PlatformError::SourceChanged;
    // libsmbclient's rename replaces an existing target; a move never does.
    if (smb::stat(context, toUrl.constData(), &status) == 0)
        return PlatformError::FileExists;
    if (smb::rename(context, from.constData(), toUrl.constData()) != 0)
        return NameError(operation, errno);
    return PlatformError::Success;
}

int SmbFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    SmbOperation operation(m_shares, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation.error())
        return operation.error();
    smb::Context* context = operation.context();
    if (copiedAs) {
        struct stat status;
        if (smb::stat(context, operation.url().constData(), &status) != 0)
            return operation.fail(errno);
        if (!SameVersion(SmbInfoFromStat(status), *copiedAs))
            return PlatformError::SourceChanged;
    }
    if (smb::unlink(context, operation.url().constData()) != 0)
        return operation.fail(errno);
    return PlatformError::Success;
}

int SmbFileSystem::openSource(const QString& path, std::unique_ptr<SourceFile>& file)
{
    auto operation =
        std::make_unique<SmbOperation>(m_shares, path, ShareConnectionTable::UseKind::OpenFile);
    if (operation->error())
        return operation->error();
    smb::Context* context = operation->context();
    const QByteArray url = operation->url();
    // Read as Windows copies a file: no one may write it through the server
    // while it is open. A program that holds it open for writing already
    // keeps that from us; then it is read beside that program, and checked.
    smb::OpenFile handle = smb::openFileAlone(context, url.constData(), O_RDONLY, 0);
    const bool writersDenied = bool(handle);
    if (!handle && errno == EBUSY)
        handle = smb::openFile(context, url.constData(), O_RDONLY, 0);
    if (!handle)
        return operation->fail(errno);
    struct stat status;
    if (smb::fstat(context, handle.get(), &status) != 0)
        return operation->fail(errno);
    if (S_ISDIR(status.st_mode)) // libsmbclient opens a folder as well
        return PlatformError::AccessDenied;
    file = std::make_unique<SmbSource>(std::move(operation), std::move(handle),
                                       SmbInfoFromStat(status), writersDenied);
    return PlatformError::Success;
}

int SmbFileSystem::createPart(const QString& target, bool alone, const ResumeNote* resume,
                              std::unique_ptr<PartFile>& file)
{
    auto operation =
        std::make_unique<SmbOperation>(m_shares, target, ShareConnectionTable::UseKind::OpenFile);
    if (operation->error())
        return operation->error();
    if (operation->address().folders.isEmpty())
        return PlatformError::AccessDenied; // the share itself is no file
    ShareAddress folder = operation->address();
    folder.folders.removeLast();
    const QByteArray folderUrl = SmbUrl(folder);
    smb::Context* context = operation->context();
    if (m_shares.sweeps.firstVisit(folderUrl))
        sweepLeftovers(context, folder);
    if (m_shares.hasLeftovers(folder))
        removeLeftovers(context, folder);

    SmbPart::Noted noted;
    const auto withNote = [&](const QByteArray& partUrl) {
        if (!resume)
            return;
        // Without its note the part is only a part: it goes with its copy.
        const qsizetype slash = partUrl.lastIndexOf('/');
        const QString name =
            QString::fromUtf8(QByteArray::fromPercentEncoding(partUrl.mid(slash + 1)));
        const QByteArray noteUrl =
            partUrl.left(slash + 1) + PartNames::noteFor(name).toUtf8().toPercentEncoding();
        smb::OpenFile note = createNew(context, noteUrl);
        const QByteArray text = resume->toText();
        if (!note ||
            smb::write(context, note.get(), text.constData(), size_t(text.size())) !=
                ssize_t(text.size()) ||
            note.close() != 0) {
            smb::unlink(context, noteUrl.constData());
            return;
        }
        noted.noteUrl = noteUrl;
        noted.folderUrl = folderUrl;
        noted.about = *resume;
    };
    if (resume) {
        if (const std::optional<ResumablePart> left = m_shares.resumable.take(folderUrl, *resume)) {
            // The part a cut copy left becomes this copy's by a rename: of
            // two copies that both found it, only one gets it.
            const QString leftName = QString::fromUtf8(
                QByteArray::fromPercentEncoding(left->part.mid(left->part.lastIndexOf('/') + 1)));
            const QByteArray partUrl =
                directoryOf(left->part) + PartNames::make(leftName.startsWith(u'.')
                                                              ? PartNames::Shape::Hidden
                                                              : PartNames::Shape::Plain)
                                              .toUtf8()
                                              .toPercentEncoding();
            if (smb::rename(context, left->part.constData(), partUrl.constData()) != 0) {
                const int error = errno;
                if (error != ENOENT) // not taken by another copy: still there for one
                    m_shares.resumable.offer(folderUrl, *left);
                if (IsConnectionLoss(error))
                    return operation->fail(error);
            } else {
                smb::unlink(context, left->note.constData());
                constexpr int flags = O_RDWR;
                smb::OpenFile handle =
                    alone ? smb::openFileAlone(context, partUrl.constData(), flags, 0)
                          : smb::openFile(context, partUrl.constData(), flags, 0);
                struct stat status;
                // To the end that the look gave: a seek from the end would ask
                // the server for the size once more.
                if (handle && smb::fstat(context, handle.get(), &status) == 0 &&
                    smb::lseek(context, handle.get(), status.st_size, SEEK_SET) >= 0) {
                    noted.left = PartLeft{left->about, quint64(status.st_size), left->whole};
                    withNote(partUrl);
                    file =
                        std::make_unique<SmbPart>(std::move(operation), std::move(handle), partUrl,
                                                  SmbPart::Kind::Part, alone, std::move(noted));
                    return PlatformError::Success;
                }
                handle.close();
                smb::unlink(context, partUrl.constData());
            }
        }
    }

    for (const Place place : m_shares.partFolders.placesFor(folderUrl)) {
        QByteArray partUrl;
        if (smb::OpenFile handle = createAt(context, folder, place, partUrl, alone)) {
            withNote(partUrl);
            file = std::make_unique<SmbPart>(std::move(operation), std::move(handle), partUrl,
                                             SmbPart::Kind::Part, alone, std::move(noted));
            return PlatformError::Success;
        }
        const int error = errno;
        // A lost connection fails the copy wherever its part goes.
        if (IsConnectionLoss(error))
            return operation->fail(error);
        if (place != Place::PartFolder) {
            if (error == ENOENT && !isFolder(context, folderUrl))
                return PlatformError::PathNotFound;
            if (!isNameRefusal(error))
                return operation->fail(error);
        }
        m_shares.partFolders.refused(folderUrl, place);
    }

    // The server refuses every temporary name here. A new target may be
    // written under its own name, and goes again unless the copy commits; an
    // existing one is never overwritten in place. A read-only share refuses
    // every name as well: then the target says why.
    const QByteArray targetUrl = operation->url();
    const TargetLook look = LookAtTarget(*operation, targetUrl);
    if (look.error)
        return look.error;
    if (look.exists)
        return PlatformError::NoTemporaryName;
    smb::OpenFile handle = createNew(context, targetUrl, alone);
    if (!handle)
        return errno == ENOENT ? PlatformError::PathNotFound : NameError(*operation, errno);
    file = std::make_unique<SmbPart>(std::move(operation), std::move(handle), targetUrl,
                                     SmbPart::Kind::NewTarget, alone);
    return PlatformError::Success;
}

smb::OpenFile SmbFileSystem::createAt(smb::Context* context, const ShareAddress& folder,
                                      Place place, QByteArray& partUrl, bool alone)
{
    if (place == Place::Plain) {
        partUrl = SmbUrl(below(folder, PartNames::make(PartNames::Shape::Plain)));
        return createNew(context, partUrl, alone);
    }
    if (place == Place::Hidden) {
        partUrl = SmbUrl(below(folder, PartNames::make(PartNames::Shape::Hidden)));
        return createNew(context, partUrl, alone);
    }
    const ShareAddress partFolder = below(folder, PartNames::folderName());
    partUrl = SmbUrl(below(partFolder, PartNames::make(PartNames::Shape::Hidden)));
    smb::OpenFile handle = createNew(context, partUrl, alone);
    // Not there yet, or removed by another run of the program that used it.
    if (!handle && errno == ENOENT) {
        smb::mkdir(context, SmbUrl(partFolder).constData(), 0755);
        handle = createNew(context, partUrl, alone);
    }
    if (handle)
        m_shares.partFolders.used(partFolder);
    return handle;
}

void SmbFileSystem::sweepLeftovers(smb::Context* context, const ShareAddress& folder)
{
    const QByteArray folderUrl = SmbUrl(folder);
    const auto sweep = [&](const ShareAddress& where) {
        bool partFolderSeen = false;
        QList<QByteArray> leftovers;
        QHash<QString, quint64> notes;           // with their sizes
        QList<std::pair<QString, qint64>> parts; // of runs that are gone, with their last write
        listRaw(context, SmbUrl(where), [&](const libsmb_file_info& entry) {
            const QString name = QString::fromUtf8(entry.name);
            if (entry.attrs & FileAttribute::Directory)
                partFolderSeen = partFolderSeen || name == PartNames::folderName();
            else if (PartNames::isNote(name))
                notes.insert(name, entry.size);
            else if (PartNames::isLeftover(name, entry.mtime_ts.tv_sec))
                parts.append({name, entry.mtime_ts.tv_sec});
        });
        // A part with its note, younger than a week, stays for the next copy
        // of its source: its note is read only now, where one is.
        for (const auto& [name, lastWrite] : std::as_const(parts)) {
            const QString note = PartNames::noteFor(name);
            const quint64 noteSize = notes.value(note);
            const bool noted = notes.remove(note);
            const QByteArray noteUrl = SmbUrl(below(where, note));
            std::optional<ResumeNote> about;
            if (noted && PartNames::isResumable(lastWrite))
                about = ResumeNote::parse(readSmall(context, noteUrl, noteSize));
            if (about) {
                m_shares.resumable.offer(
                    folderUrl, {SmbUrl(below(where, name)), noteUrl, *about, std::nullopt});
                continue;
            }
            leftovers.append(SmbUrl(below(where, name)));
            if (noted)
                leftovers.append(noteUrl);
        }
        // A note whose part is gone, and whose run is gone too, is worth nothing.
        for (const QString& note : notes.keys()) {
            if (PartNames::isLeftover(PartNames::partFor(note), 0))
                leftovers.append(SmbUrl(below(where, note)));
        }
        // A part that a live run on another machine still writes is open,
        // and the server refuses to remove it.
        for (const QByteArray& url : std::as_const(leftovers))
            smb::unlink(context, url.constData());
        return partFolderSeen;
    };
    if (sweep(folder)) {
        const ShareAddress partFolder = below(folder, PartNames::folderName());
        sweep(partFolder);
        // Only an empty one goes; a run that finds it gone makes it again.
        smb::rmdir(context, SmbUrl(partFolder).constData());
    }
}

quint64 SmbFileSystem::resumableBytes(const QString& source, const FileInfo& version,
                                      const QString& target)
{
    return resumableAcrossStores(*this, *this, source, version, target);
}

quint64 SmbFileSystem::resumablePart(const QString& target, const ResumeNote& copy)
{
    SmbOperation operation(m_shares, target, ShareConnectionTable::UseKind::Listing);
    if (operation.error() || operation.address().folders.isEmpty())
        return 0;
    ShareAddress folder = operation.address();
    folder.folders.removeLast();
    const QByteArray folderUrl = SmbUrl(folder);
    if (m_shares.sweeps.firstVisit(folderUrl))
        sweepLeftovers(operation.context(), folder);
    const std::optional<ResumablePart> left = m_shares.resumable.find(folderUrl, copy);
    struct stat status;
    if (!left || !SameVersion(left->about.version, copy.version) ||
        smb::stat(operation.context(), left->part.constData(), &status) != 0 ||
        quint64(status.st_size) > copy.version.Size)
        return 0;
    return PartLeft{left->about, quint64(status.st_size), left->whole}.goOnAt();
}

void SmbFileSystem::removeLeftovers(smb::Context* context, const ShareAddress& share)
{
    // A server that hung and went on again may still hold a part open for a
    // while (it works through what its stopped process had queued): what it
    // refuses now is tried again on the next copy there, or the next logon.
    for (const QByteArray& url : m_shares.takeLeftovers(share)) {
        if (smb::unlink(context, url.constData()) != 0 && errno != ENOENT)
            m_shares.rememberLeftover(share, url);
    }
}

void SmbFileSystem::signOff(const ShareCredentials& credentials)
{
    const QList<ShareAddress> folders = m_shares.partFolders.takeUsed(&credentials.address);
    if (!folders.isEmpty() || m_shares.hasLeftovers(credentials.address))
        removePartFolders(credentials, folders);
}

void SmbFileSystem::removePartFolders(const ShareCredentials& credentials,
                                      const QList<ShareAddress>& folders)
{
    SmbOperation operation(m_shares, credentials);
    if (operation.error())
        return;
    // The parts of failed copies first: they may stand in a part folder.
    removeLeftovers(operation.context(), credentials.address);
    // Only an empty folder goes: one that still holds parts is in use by
    // another run of the program, which removes it when it is done with it.
    for (const ShareAddress& folder : folders)
        smb::rmdir(operation.context(), SmbUrl(folder).constData());
}

SmbFileSystem::~SmbFileSystem()
{
    // The pool keeps the first logon to a share for that share's other folders.
    for (const ShareAddress& folder : m_shares.partFolders.takeUsed()) {
        ShareConnectionTable::ShareUse use;
        if (const std::optional<ShareCredentials> credentials = m_shares.connections.credentialsFor(
                folder, ShareConnectionTable::UseKind::Listing, use))
            removePartFolders(*credentials, {folder});
    }
}

} // namespace tarvo
