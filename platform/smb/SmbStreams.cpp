#include "platform/smb/SmbStreams.h"

#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"

#include <cerrno>
#include <fcntl.h>
#include <libsmbclient.h>
#include <sys/stat.h>
#include <vector>

namespace tarvo {

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

    bool start()
    {
        if (m_file)
            return true;
        m_session = m_origin->extraSession();
        if (m_session->error())
            return false;
        m_operation = m_session.get();
        m_own = smb::openFile(m_session->context(), m_url.constData(), m_flags, 0);
        m_file = m_own.get();
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
    smb::File* m_file = nullptr; // borrowed, or m_own's
    const SmbOperation* m_origin = nullptr;
    QByteArray m_url;
    int m_flags = 0;
    std::unique_ptr<SmbOperation> m_session;
    smb::OpenFile m_own; // closed before m_session gives its context back
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

// Gives the file at url the source's times. Only after the file is closed:
// closing sets the write time, and libsmbclient can set times only by path.
int setTimes(SmbOperation& operation, const QByteArray& url, const FileInfo& source)
{
    const timespec access = timespecFromFileTime(source.LastAccessTime);
    const timespec write = timespecFromFileTime(source.LastWriteTime);
    timeval times[2] = {{access.tv_sec, access.tv_nsec / 1000},
                        {write.tv_sec, write.tv_nsec / 1000}};
    if (smb::utimes(operation.context(), url.constData(), times) == 0)
        return PlatformError::Success;
    // A server that lets nobody but a file's owner set its times still takes
    // the file whole; only its time is the server's own (Sync says so).
    if (errno == EACCES || errno == EPERM)
        return PlatformError::Success;
    return operation.fail(errno);
}

} // namespace

SmbSource::SmbSource(std::unique_ptr<SmbOperation> operation, smb::OpenFile file,
                     const FileInfo& info, bool writersDenied)
    : m_operation(std::move(operation))
    , m_file(std::move(file))
    , m_info(info)
    , m_writersDenied(writersDenied)
{}

int SmbSource::currentInfo(FileInfo& info)
{
    // Bytes that came in one read, through a handle that kept every other
    // client from writing since it opened, are the version it opened: asking
    // again would cost a small file a round trip in five. A longer read is
    // asked about, for a process on the server itself writes past the
    // server's share modes.
    if (m_writersDenied && m_reads <= 1 && !m_readElsewhere) {
        info = m_info;
        return PlatformError::Success;
    }
    struct stat status;
    if (smb::fstat(m_operation->context(), m_file.get(), &status) != 0)
        return m_operation->failTransfer(errno);
    info = SmbInfoFromStat(status);
    return PlatformError::Success;
}

qint64 SmbSource::read(char* buffer, qint64 size)
{
    ++m_reads;
    const ssize_t got = smb::read(m_operation->context(), m_file.get(), buffer, size_t(size));
    return got >= 0 ? got : -m_operation->failTransfer(errno);
}

int SmbSource::seek(quint64 offset)
{
    m_readElsewhere = true;
    if (smb::lseek(m_operation->context(), m_file.get(), off_t(offset), SEEK_SET) < 0)
        return m_operation->failTransfer(errno);
    return PlatformError::Success;
}

std::vector<std::unique_ptr<BlockReader>> SmbSource::parallelReaders(int count)
{
    std::vector<std::unique_ptr<BlockReader>> readers;
    // Under the one library lock the readers would only take turns.
    if (!smb::threadsEnabled())
        return readers;
    m_readElsewhere = true;
    // The source's own handle reads at once; each of the others logs on
    // first, on its own thread.
    readers.push_back(std::make_unique<SmbBlockReader>(*m_operation, m_file.get()));
    for (std::unique_ptr<BlockReader>& more : moreReaders(count))
        readers.push_back(std::move(more));
    return readers;
}

std::vector<std::unique_ptr<BlockReader>> SmbSource::moreReaders(int count)
{
    std::vector<std::unique_ptr<BlockReader>> readers;
    if (!smb::threadsEnabled())
        return readers;
    m_readElsewhere = true;
    for (int i = 0; i < count; ++i)
        readers.push_back(
            std::make_unique<SmbBlockReader>(*m_operation, m_operation->url(), O_RDONLY));
    return readers;
}

SmbPart::SmbPart(std::unique_ptr<SmbOperation> operation, smb::OpenFile file, QByteArray url,
                 Kind kind, bool alone, Noted noted)
    : m_operation(std::move(operation))
    , m_file(std::move(file))
    , m_url(std::move(url))
    , m_kind(kind)
    , m_alone(alone)
    , m_noted(std::move(noted))
    , m_written(m_noted.left ? m_noted.left->size : 0)
{}

SmbPart::~SmbPart()
{
    m_file.close(); // before the part goes
    const bool noted = !m_noted.noteUrl.isEmpty();
    if (!m_committed && m_keep && noted) {
        // Left with its note, for the next copy of its source here.
        m_operation->shares().resumable.offer(m_noted.folderUrl,
                                              {m_url, m_noted.noteUrl, m_noted.about, m_whole});
        return;
    }
    smb::Context* context = m_operation->context();
    if (!m_committed && smb::unlink(context, m_url.constData()) != 0 && errno != ENOENT)
        m_operation->leaveBehind(m_url);
    if (noted && smb::unlink(context, m_noted.noteUrl.constData()) != 0 && errno != ENOENT)
        m_operation->leaveBehind(m_noted.noteUrl);
}

qint64 SmbPart::readAt(quint64 offset, char* buffer, qint64 size)
{
    smb::Context* context = m_operation->context();
    if (smb::lseek(context, m_file.get(), off_t(offset), SEEK_SET) < 0)
        return -m_operation->failTransfer(errno);
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = smb::read(context, m_file.get(), buffer + done, size_t(size - done));
        if (got < 0)
            return -m_operation->failTransfer(errno);
        if (got == 0)
            break;
        done += got;
    }
    return done;
}

void SmbPart::keep(quint64 whole)
{
    m_keep = true;
    m_whole = whole;
    if (m_noted.about.inOrder || m_noted.noteUrl.isEmpty() || !m_file)
        return;
    // Only while the server answers: else the note says what it said.
    smb::Context* context = m_operation->context();
    if (smb::ftruncate(context, m_file.get(), off_t(whole)) != 0)
        return;
    ResumeNote inOrder = m_noted.about;
    inOrder.inOrder = true;
    const QByteArray text = inOrder.toText();
    smb::OpenFile note = smb::openFile(context, m_noted.noteUrl.constData(), O_WRONLY | O_TRUNC, 0);
    if (note && writeWhole(*m_operation, note.get(), text.constData(), text.size()) == 0 &&
        note.close() == 0)
        m_noted.about = inOrder;
}

int SmbPart::goOnAt(quint64 offset)
{
    smb::Context* context = m_operation->context();
    if (smb::ftruncate(context, m_file.get(), off_t(offset)) != 0 ||
        smb::lseek(context, m_file.get(), off_t(offset), SEEK_SET) < 0)
        return m_operation->failTransfer(errno);
    m_written = offset;
    return PlatformError::Success;
}

int SmbPart::write(const char* data, qint64 size)
{
    const int error = writeWhole(*m_operation, m_file.get(), data, size);
    if (!error)
        m_written += quint64(size);
    return error;
}

std::vector<std::unique_ptr<BlockWriter>> SmbPart::parallelWriters(int count)
{
    std::vector<std::unique_ptr<BlockWriter>> writers;
    // Under the one library lock the writers would only take turns; a part
    // opened alone lets no other handle write it.
    if (!smb::threadsEnabled() || m_alone)
        return writers;
    // The part's own handle writes at once; each of the others logs on
    // first, on its own thread.
    writers.push_back(std::make_unique<SmbBlockWriter>(*m_operation, m_file.get()));
    for (std::unique_ptr<BlockWriter>& more : moreWriters(count))
        writers.push_back(std::move(more));
    return writers;
}

std::vector<std::unique_ptr<BlockWriter>> SmbPart::moreWriters(int count)
{
    std::vector<std::unique_ptr<BlockWriter>> writers;
    if (!smb::threadsEnabled() || m_alone)
        return writers;
    for (int i = 0; i < count; ++i)
        writers.push_back(std::make_unique<SmbBlockWriter>(*m_operation, m_url, O_WRONLY));
    return writers;
}

int SmbPart::storedSize(quint64& size)
{
    // The part was made new, and no other handle could write it since: the
    // bytes the server acknowledged are its size, without asking once more.
    if (m_alone) {
        size = m_written;
        return PlatformError::Success;
    }
    struct stat status;
    if (smb::fstat(m_operation->context(), m_file.get(), &status) != 0)
        return m_operation->failTransfer(errno);
    size = quint64(status.st_size);
    return PlatformError::Success;
}

int SmbPart::commit(const FileInfo& source, bool failIfExists, bool& replaced)
{
    smb::Context* context = m_operation->context();
    if (m_file.close() != 0)
        return m_operation->fail(errno);
    if (m_kind == Kind::NewTarget) {
        // Made with the target's name, where nothing stood: only the times.
        if (int error = setTimes(*m_operation, m_url, source))
            return error;
        m_committed = true;
        return PlatformError::Success;
    }
    const QByteArray target = m_operation->url();
    const TargetLook look = LookAtTarget(*m_operation, target);
    if (look.exists && failIfExists)
        return PlatformError::FileExists;
    if (look.error)
        return look.error;
    if (int error = setTimes(*m_operation, m_url, source))
        return error;
    replaced = look.exists;
    if (look.exists)
        return replaceTarget(source);
    // Nothing held the name a moment ago, so the rename takes it; libsmbclient
    // would delete a file that took it in between, as it does before any
    // rename onto an existing name.
    if (smb::rename(context, m_url.constData(), target.constData()) != 0)
        return NameError(*m_operation, errno);
    m_committed = true;
    return PlatformError::Success;
}

int SmbPart::replaceTarget(const FileInfo& source)
{
    smb::Context* context = m_operation->context();
    const QByteArray target = m_operation->url();
    // The old file steps aside under a part's name, and comes back when the
    // part cannot take its place; libsmbclient's own rename onto an existing
    // name deletes that file first and cannot put it back.
    const qsizetype slash = m_url.lastIndexOf('/');
    const bool hidden = m_url.at(slash + 1) == '.';
    const QByteArray aside =
        m_url.left(slash + 1) +
        PartNames::make(hidden ? PartNames::Shape::Hidden : PartNames::Shape::Plain).toUtf8();
    if (smb::rename(context, target.constData(), aside.constData()) != 0) {
        const int error = errno;
        // Another program holds the file open and lets others write it but not
        // rename it, or this user may write it but not delete it: what a plain
        // copy would do, write into it, once the part is known whole.
        if (error == EBUSY || error == EACCES || error == EPERM)
            return writeInPlace(source);
        return m_operation->fail(error);
    }
    if (smb::rename(context, m_url.constData(), target.constData()) != 0) {
        const int error = errno;
        smb::rename(context, aside.constData(), target.constData());
        return m_operation->fail(error);
    }
    m_committed = true;
    // A program that still holds the old file open keeps it until it closes it.
    if (smb::unlink(context, aside.constData()) != 0 && errno != ENOENT)
        m_operation->leaveBehind(aside);
    return PlatformError::Success;
}

int SmbPart::writeInPlace(const FileInfo& source)
{
    smb::Context* context = m_operation->context();
    const QByteArray target = m_operation->url();
    smb::OpenFile from = smb::openFile(context, m_url.constData(), O_RDONLY, 0);
    if (!from)
        return m_operation->fail(errno);
    // From here until the last byte the target holds part of the new file:
    // the one stretch in which a failure leaves it neither old nor new.
    smb::OpenFile to = smb::openFile(context, target.constData(), O_WRONLY | O_TRUNC, 0);
    int error = to ? PlatformError::Success : m_operation->fail(errno);
    std::vector<char> buffer(to ? 1 << 20 : 0);
    quint64 written = 0;
    while (!error) {
        const ssize_t got = smb::read(context, from.get(), buffer.data(), buffer.size());
        if (got <= 0) {
            error = got < 0 ? m_operation->failTransfer(errno) : PlatformError::Success;
            break;
        }
        error = writeWhole(*m_operation, to.get(), buffer.data(), got);
        written += quint64(got);
    }
    from.close();
    if (to.close() != 0 && !error)
        error = m_operation->fail(errno);
    if (!error && written != source.Size)
        error = PlatformError::ArrivedIncomplete;
    if (!error)
        error = setTimes(*m_operation, target, source);
    if (error)
        return error;
    m_committed = true; // the target holds the copy; the part goes here
    if (smb::unlink(context, m_url.constData()) != 0 && errno != ENOENT)
        m_operation->leaveBehind(m_url);
    return PlatformError::Success;
}

} // namespace tarvo
