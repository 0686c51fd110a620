#include "platform/FileReplace.h"

#include "platform/copy/PartNames.h"
#include "platform/ErrorCodes.h"
#include "platform/PosixErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo {

namespace {

// The file that a path names, its symbolic links followed (to a file that
// need not exist yet): 0, or errno.
int followLinks(const QString& path, QByteArray& file)
{
    QFileInfo info(path);
    for (int depth = 0; info.isSymLink(); ++depth) {
        if (depth == 40)
            return ELOOP;
        info.setFile(info.symLinkTarget());
    }
    file = QFile::encodeName(info.absoluteFilePath());
    return 0;
}

// Writes all of the bytes, through short writes and interruptions: 0, or errno.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd, data, size_t(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return done < 0 ? errno : EIO;
        data += done;
        left -= done;
    }
    return 0;
}

// Flushes the file to the disk: 0, or errno. A file system that has nothing
// to flush to (it says so with EINVAL or ENOTSUP) is no failure; a disk that
// is full or failing is.
int flushToDisk(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        return errno == EINVAL || errno == ENOTSUP || errno == ENOSYS ? 0 : errno;
    }
    return 0;
}

// Fills the new file: its permissions, its bytes, then the flush: 0, or errno.
int fill(int fd, const QByteArray& bytes, std::optional<mode_t> mode)
{
    struct stat status = {};
    if (mode && (::fstat(fd, &status) != 0 ||
                 ((status.st_mode & 07777) != *mode && ::fchmod(fd, *mode) != 0)))
        return errno;
    if (const int error = writeAll(fd, bytes))
        return error;
    return flushToDisk(fd);
}

// Makes the rename itself last, as far as the folder lets it be flushed.
void flushFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

int ReplaceFileContents(const QString& path, const QByteArray& bytes, std::optional<unsigned> mode)
{
    QByteArray file;
    if (const int error = followLinks(path, file))
        return platformErrorFromErrno(error);
    std::optional<mode_t> newMode = mode;
    struct stat old = {};
    if (::stat(file.constData(), &old) == 0) {
        if (::access(file.constData(), W_OK) != 0)
            return platformErrorFromErrno(errno);
        if (!newMode && S_ISREG(old.st_mode))
            newMode = old.st_mode & 07777;
    }

    const qsizetype slash = file.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? file.left(slash) : QByteArray("/");
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        temporary = folder + '/' + QFile::encodeName(PartNames::make(PartNames::Shape::Hidden));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    newMode.value_or(0666));
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return errno == ENOENT ? PlatformError::PathNotFound : platformErrorFromErrno(errno);

    int error = fill(fd, bytes, newMode);
    // Linux releases the descriptor also when close() is interrupted, and the
    // bytes were flushed before it.
    if (::close(fd) != 0 && errno != EINTR && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), file.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return platformErrorFromErrno(error);
    }
    flushFolder(folder);
    return PlatformError::Success;
}

} // namespace tarvo
