#include "platform/local/LocalFileSystem.h"

#include "platform/copy/PartNames.h"
#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"
#include "platform/PosixErrors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <QFile>
#include <QScopeGuard>
#include <QSet>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

namespace tarvo {

namespace {

QByteArray baseName(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A name from the disk for a message: ASCII as it is, every other byte as
// "\xNN" (such a name is no valid text, so its other bytes mean nothing sure).
QString shownName(const QByteArray& raw)
{
    QString shown;
    for (const char byte : raw) {
        const auto code = uchar(byte);
        shown += code < 0x80 ? QString(QChar(code))
                             : QStringLiteral("\\x") + QString::number(code, 16).toUpper();
    }
    return shown;
}

// ENOENT names the file when its folder exists, else the path.
int errorFor(int error, const QByteArray& path)
{
    if (error == ENOENT && ::access(folderOf(path).constData(), F_OK) != 0)
        return PlatformError::PathNotFound;
    return platformErrorFromErrno(error);
}

int statAt(int folder, const char* path, struct statx& status, int flags = 0)
{
    return ::statx(folder, path, flags | AT_STATX_SYNC_AS_STAT,
                   STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME |
                       STATX_CTIME | STATX_INO,
                   &status);
}

timespec toTimespec(const statx_timestamp& time)
{
    return timespec{time_t(time.tv_sec), long(time.tv_nsec)};
}

// Writes all of data: at the descriptor's position, or at `offset` (pwrite
// keeps no shared position, so any number of threads may write at once).
int writeAll(int fd, const char* data, qint64 size, std::optional<quint64> offset = {})
{
    while (size > 0) {
        const ssize_t done = offset ? ::pwrite(fd, data, size_t(size), off_t(*offset))
                                    : ::write(fd, data, size_t(size));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return platformErrorFromErrno(errno);
        }
        data += done;
        size -= done;
        if (offset)
            *offset += quint64(done);
    }
    return PlatformError::Success;
}

// Renames, never over an existing name: 0, or errno.
int renameNoReplace(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: link() refuses an existing name as well.
    if (::link(from, to) != 0)
        return errno;
    ::unlink(from);
    return 0;
}

// New files get the permissions that the user's umask allows. The mask is
// read, not set, so no other thread ever sees it change.
mode_t fileCreationMode()
{
    static const mode_t mode = [] {
        QFile status(QStringLiteral("/proc/self/status"));
        mode_t mask = 022;
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:"))
                    mask = mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
            }
        }
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

class LocalSource : public SourceFile
{
public:
    LocalSource(int fd, const FileInfo& info)
        : m_fd(fd)
        , m_info(info)
    {}
    ~LocalSource() override { ::close(m_fd); }

    const FileInfo& info() const override { return m_info; }

    int currentInfo(FileInfo& info) override
    {
        struct statx status;
        if (statAt(m_fd, "", status, AT_EMPTY_PATH) != 0)
            return platformErrorFromErrno(errno);
        info = LocalFileSystem::infoFromStat(status, {});
        return PlatformError::Success;
    }

    int seek(quint64 offset) override
    {
        return ::lseek(m_fd, off_t(offset), SEEK_SET) < 0 ? platformErrorFromErrno(errno)
                                                          : PlatformError::Success;
    }

    qint64 read(char* buffer, qint64 size) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer, size_t(size));
            if (got >= 0)
                return got;
            if (errno != EINTR)
                return -platformErrorFromErrno(errno);
        }
    }

private:
    int m_fd;
    FileInfo m_info;
};

// Writes at offsets of a part file through its descriptor; pwrite keeps no
// shared position, so any number of threads may write at once.
class LocalBlockWriter : public BlockWriter
{
public:
    explicit LocalBlockWriter(int fd)
        : m_fd(fd)
    {}

    int writeAt(quint64 offset, const char* data, qint64 size) override
    {
        return writeAll(m_fd, data, size, offset);
    }

private:
    int m_fd;
};

// Writes a new small file whole: 0, or errno.
int writeNewFile(const QByteArray& path, const QByteArray& text)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int error = writeAll(fd, text.constData(), text.size()) ? EIO : 0;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error)
        ::unlink(path.constData());
    return error;
}

// The note beside a part, read whole; none when it cannot be read or is no note.
std::optional<ResumeNote> readNote(const QByteArray& path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return ResumeNote::parse(file.read(64 * 1024));
}

// Where a part that may be gone on with is: its note, what it went on from,
// and the list of parts to offer it to when its copy keeps it.
struct LocalResume
{
    QByteArray notePath; // empty: the part has no note
    std::optional<PartLeft> left;
    ResumableParts* parts = nullptr;
    QByteArray folder;
    ResumeNote about;
};

class LocalPart : public PartFile
{
public:
    LocalPart(int fd, QByteArray partPath, QByteArray target, LocalResume resume = {})
        : m_fd(fd)
        , m_partPath(std::move(partPath))
        , m_target(std::move(target))
        , m_resume(std::move(resume))
    {}

    ~LocalPart() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        const bool noted = !m_resume.notePath.isEmpty();
        if (!m_committed && m_keep && noted) {
            m_resume.parts->offer(m_resume.folder,
                                  {m_partPath, m_resume.notePath, m_resume.about, m_whole});
            return;
        }
        if (!m_committed)
            ::unlink(m_partPath.constData());
        if (noted)
            ::unlink(m_resume.notePath.constData());
    }

    std::optional<PartLeft> resumed() const override { return m_resume.left; }

    qint64 readAt(quint64 offset, char* buffer, qint64 size) override
    {
        qint64 done = 0;
        while (done < size) {
            const ssize_t got =
                ::pread(m_fd, buffer + done, size_t(size - done), off_t(offset + quint64(done)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return -platformErrorFromErrno(errno);
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }

    void keep(quint64 whole) override
    {
        m_keep = true;
        m_whole = whole;
        if (m_resume.about.inOrder || m_resume.notePath.isEmpty() || m_fd < 0)
            return;
        ResumeNote inOrder = m_resume.about;
        inOrder.inOrder = true;
        const QByteArray text = inOrder.toText();
        const int note = ::open(m_resume.notePath.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (note < 0)
            return;
        if (::ftruncate(m_fd, off_t(whole)) == 0 &&
            writeAll(note, text.constData(), text.size()) == 0)
            m_resume.about = inOrder;
        ::close(note);
    }

    int goOnAt(quint64 offset) override
    {
        if (::ftruncate(m_fd, off_t(offset)) != 0 || ::lseek(m_fd, off_t(offset), SEEK_SET) < 0)
            return platformErrorFromErrno(errno);
        return PlatformError::Success;
    }

    int write(const char* data, qint64 size) override { return writeAll(m_fd, data, size); }

    std::unique_ptr<BlockWriter> sharedWriter() override
    {
        return std::make_unique<LocalBlockWriter>(m_fd);
    }

    int storedSize(quint64& size) override
    {
        struct statx status;
        if (statAt(m_fd, "", status, AT_EMPTY_PATH) != 0)
            return platformErrorFromErrno(errno);
        size = status.stx_size;
        return PlatformError::Success;
    }

    int commit(const FileInfo& source, bool failIfExists, bool& replaced) override
    {
        const timespec times[2] = {{0, UTIME_OMIT}, timespecFromFileTime(source.LastWriteTime)};
        const mode_t mode = (source.Attributes & FileAttribute::ReadOnly)
                                ? (fileCreationMode() & 0444)
                                : fileCreationMode();
        if (::futimens(m_fd, times) != 0 || ::fchmod(m_fd, mode) != 0)
            return platformErrorFromErrno(errno);
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0)
            return platformErrorFromErrno(errno); // a write that failed late
        if (int error = renameInto(failIfExists, replaced))
            return error;
        m_committed = true;
        return PlatformError::Success;
    }

private:
    int renameInto(bool failIfExists, bool& replaced)
    {
        const char* from = m_partPath.constData();
        const char* to = m_target.constData();
        if (!failIfExists) {
            // A target that this user may not write is kept, although the
            // folder would allow the rename: a read-only one, as the device
            // keeps it (and as deleteFile does), and another user's file
            // that this user may not write.
            struct statx target;
            const bool exists = statAt(AT_FDCWD, to, target) == 0;
            if (exists && !S_ISDIR(target.stx_mode) &&
                (!(target.stx_mode & S_IWUSR) ||
                 (::faccessat(AT_FDCWD, to, W_OK, AT_EACCESS) != 0 && errno != ENOENT)))
                return PlatformError::AccessDenied;
            if (::rename(from, to) != 0)
                return platformErrorFromErrno(errno);
            replaced = exists;
            return PlatformError::Success;
        }
        const int error = renameNoReplace(from, to);
        return error == 0 ? PlatformError::Success : platformErrorFromErrno(error);
    }

    int m_fd;
    QByteArray m_partPath;
    QByteArray m_target;
    LocalResume m_resume;
    bool m_committed = false;
    bool m_keep = false;
    std::optional<quint64> m_whole; // as the copy that kept it knew
};

} // namespace

LocalFileSystem::LocalFileSystem(DevicePaths paths)
    : m_paths(std::move(paths))
{}

QByteArray LocalFileSystem::native(const QString& path) const
{
    return QFile::encodeName(m_paths.toNative(path));
}

FileInfo LocalFileSystem::infoFromStat(const struct statx& status, const QByteArray& name)
{
    FileInfo info;
    if (S_ISDIR(status.stx_mode))
        info.Attributes |= FileAttribute::Directory;
    if (!(status.stx_mode & S_IWUSR))
        info.Attributes |= FileAttribute::ReadOnly;
    if (name.startsWith('.'))
        info.Attributes |= FileAttribute::Hidden;
    if (!S_ISREG(status.stx_mode) && !S_ISDIR(status.stx_mode))
        info.Attributes |= FileAttribute::NotPlain;
    const bool hasBirth = status.stx_mask & STATX_BTIME;
    info.CreationTime =
        fileTimeFromTimespec(toTimespec(hasBirth ? status.stx_btime : status.stx_mtime));
    info.LastAccessTime = fileTimeFromTimespec(toTimespec(status.stx_atime));
    info.LastWriteTime = fileTimeFromTimespec(toTimespec(status.stx_mtime));
    info.Size = info.isDirectory() ? 0 : status.stx_size;
    // The identity at full precision: a file replaced by another, or saved
    // again with its old last-write time set back, has a new inode or a new
    // change time, even within the microsecond that last-write times keep.
    info.Device = makedev(status.stx_dev_major, status.stx_dev_minor);
    info.FileId = status.stx_ino;
    info.ChangeTime =
        fileTimeFromTimespec({time_t(status.stx_ctime.tv_sec), 0}) + status.stx_ctime.tv_nsec / 100;
    return info;
}

bool LocalFileSystem::canOpenForReading(const QString& path)
{
    // Without O_NONBLOCK, opening a named pipe would wait for a writer forever.
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int LocalFileSystem::readAttributes(const QString& path, FileInfo& info)
{
    const QByteArray file = native(path);
    struct statx status;
    if (statAt(AT_FDCWD, file.constData(), status) != 0)
        return errorFor(errno, file);
    info = infoFromStat(status, baseName(file));
    return PlatformError::Success;
}

int LocalFileSystem::listFolder(const QString& folder, const Visitor& visit)
{
    const QByteArray path = native(folder);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return errno == ENOENT || errno == ENOTDIR ? PlatformError::PathNotFound
                                                   : platformErrorFromErrno(errno);
    const auto closer = qScopeGuard([dir] { ::closedir(dir); });
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        DirEntry found;
        found.Name = QFile::decodeName(name);
        if (PartNames::isProgramOwn(found.Name))
            continue;
        // A name that does not survive the trip to text, or that holds a
        // separator of device paths, could never be opened again: it is
        // shown for what it is, for the caller to report.
        const bool text = QFile::encodeName(found.Name) == name;
        if (!text || found.Name.contains(u'\\')) {
            if (!text)
                found.Name = shownName(name);
            found.NameUnusable = true;
        }
        struct statx status;
        if (statAt(::dirfd(dir), entry->d_name, status) != 0)
            continue; // gone meanwhile, or a dangling link
        found.Info = infoFromStat(status, name);
        if (entry->d_type == DT_LNK)
            found.Info.Attributes |= FileAttribute::NotPlain;
        if (!visit(found))
            break;
    }
    return PlatformError::Success;
}

CopyOutcome LocalFileSystem::copy(const CopyRequest& request)
{
    return copyAcrossStores(*this, *this, request);
}

int LocalFileSystem::moveFile(const QString& source, const QString& target,
                              const FileInfo* copiedAs)
{
    const QByteArray from = native(source);
    const QByteArray to = native(target);
    if (copiedAs) {
        FileInfo now;
        if (int error = readAttributes(source, now))
            return error;
        if (!SameVersion(now, *copiedAs))
            return PlatformError::SourceChanged;
    }
    const int error = renameNoReplace(from.constData(), to.constData());
    if (error == 0)
        return PlatformError::Success;
    if (error == EXDEV)
        return moveAcrossStores(*this, source, *this, target, copiedAs);
    // ENOENT names the target's folder when the source is there.
    return errorFor(error, error == ENOENT && ::access(from.constData(), F_OK) == 0 ? to : from);
}

int LocalFileSystem::deleteFile(const QString& path, const FileInfo* copiedAs)
{
    FileInfo info;
    if (int error = readAttributes(path, info))
        return error;
    // As on the device, neither a folder nor a read-only file is deleted as a file.
    if (info.Attributes & (FileAttribute::Directory | FileAttribute::ReadOnly))
        return PlatformError::AccessDenied;
    if (copiedAs && !SameVersion(info, *copiedAs))
        return PlatformError::SourceChanged;
    const QByteArray file = native(path);
    return ::unlink(file.constData()) == 0 ? 0 : errorFor(errno, file);
}

int LocalFileSystem::openSource(const QString& path, std::unique_ptr<SourceFile>& file)
{
    const QByteArray name = native(path);
    // Only plain files are copied: a named pipe would block the open (or the
    // reads) forever and a device would never end, so neither is waited for.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errorFor(errno, name);
    struct statx status;
    const int error = statAt(fd, "", status, AT_EMPTY_PATH) != 0 ? errno
                      : !S_ISREG(status.stx_mode)                ? EISDIR
                      : ::fcntl(fd, F_SETFL, 0) != 0             ? errno // reads block again
                                                                 : 0;
    if (error != 0) {
        ::close(fd);
        return platformErrorFromErrno(error);
    }
    file = std::make_unique<LocalSource>(fd, infoFromStat(status, baseName(name)));
    return PlatformError::Success;
}

int LocalFileSystem::createPart(const QString& target, bool alone, const ResumeNote* resume,
                                std::unique_ptr<PartFile>& file)
{
    Q_UNUSED(alone); // a local part has no other writers to keep out
    const QByteArray to = native(target);
    if (to == QFile::encodeName(m_paths.root()))
        return PlatformError::AccessDenied;
    const QByteArray folder = folderOf(to);
    if (m_sweeps.firstVisit(folder))
        sweepLeftovers(folder);
    const QString name = PartNames::make(PartNames::Shape::Hidden);
    QByteArray partPath = folder + '/' + QFile::encodeName(name);
    LocalResume noted;
    int fd = -1;
    if (resume) {
        // The part a cut copy left becomes this copy's by a rename: of two
        // copies that both found it, only one gets it.
        if (const std::optional<ResumablePart> left = m_resumable.take(folder, *resume)) {
            if (::rename(left->part.constData(), partPath.constData()) != 0) {
                if (errno != ENOENT) // not taken by another copy: still there for one
                    m_resumable.offer(folder, *left);
            } else {
                ::unlink(left->note.constData());
                fd = ::open(partPath.constData(), O_RDWR | O_CLOEXEC);
                struct statx status;
                if (fd >= 0 && statAt(fd, "", status, AT_EMPTY_PATH) == 0 &&
                    ::lseek(fd, 0, SEEK_END) >= 0) {
                    noted.left = PartLeft{left->about, status.stx_size, left->whole};
                } else if (fd >= 0) {
                    ::close(fd);
                    fd = -1;
                    ::unlink(partPath.constData());
                }
            }
        }
    }
    if (fd < 0)
        fd = ::open(partPath.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == ENOENT ? PlatformError::PathNotFound : platformErrorFromErrno(errno);
    if (resume) {
        const QByteArray notePath = folder + '/' + QFile::encodeName(PartNames::noteFor(name));
        // Without its note the part is only a part: it goes with its copy.
        if (writeNewFile(notePath, resume->toText()) == 0) {
            noted.notePath = notePath;
            noted.parts = &m_resumable;
            noted.folder = folder;
            noted.about = *resume;
        }
    }
    file = std::make_unique<LocalPart>(fd, std::move(partPath), to, std::move(noted));
    return PlatformError::Success;
}

quint64 LocalFileSystem::resumablePart(const QString& target, const ResumeNote& copy)
{
    const QByteArray folder = folderOf(native(target));
    if (m_sweeps.firstVisit(folder))
        sweepLeftovers(folder);
    const std::optional<ResumablePart> left = m_resumable.find(folder, copy);
    struct statx status;
    if (!left || !SameVersion(left->about.version, copy.version) ||
        statAt(AT_FDCWD, left->part.constData(), status) != 0 ||
        status.stx_size > copy.version.Size)
        return 0;
    return PartLeft{left->about, status.stx_size, left->whole}.goOnAt();
}

void LocalFileSystem::sweepLeftovers(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const auto closer = qScopeGuard([dir] { ::closedir(dir); });
    QSet<QString> notes;
    QList<std::pair<QString, qint64>> parts; // with their last write
    while (const dirent* entry = ::readdir(dir)) {
        struct statx status;
        const QString name = QFile::decodeName(entry->d_name);
        if (PartNames::isNote(name))
            notes.insert(name);
        else if (PartNames::isPart(name) && statAt(::dirfd(dir), entry->d_name, status) == 0 &&
                 S_ISREG(status.stx_mode))
            parts.append({name, status.stx_mtime.tv_sec});
    }
    const auto path = [&](const QString& name) { return folder + '/' + QFile::encodeName(name); };
    for (const auto& [name, lastWrite] : std::as_const(parts)) {
        const QString note = PartNames::noteFor(name);
        const bool noted = notes.remove(note);
        // A part that its run still writes stays as it is.
        if (!PartNames::isLeftover(name, lastWrite))
            continue;
        std::optional<ResumeNote> about;
        if (noted && PartNames::isResumable(lastWrite))
            about = readNote(path(note));
        if (about) {
            m_resumable.offer(folder, {path(name), path(note), *about, std::nullopt});
            continue;
        }
        ::unlink(path(name).constData());
        if (noted)
            ::unlink(path(note).constData());
    }
    // A note whose part is gone, and whose run is gone too, is worth nothing.
    for (const QString& note : std::as_const(notes)) {
        if (PartNames::isLeftover(PartNames::partFor(note), 0))
            ::unlink(path(note).constData());
    }
}

} // namespace tarvo
