#include "platform/FileStore.h"

#include "platform/ErrorCodes.h"

#include <future>
#include <QByteArray>
#include <utility>

namespace tarvo {

namespace {

// The next block to read: what is left of the size the source had when it was
// opened, so that a read never asks past the end. A share answers a request
// past the end with one more round trip; a file of known size needs none.
qint64 nextBlock(quint64 size, quint64 done, qint64 bufferSize)
{
    if (size == 0)
        return bufferSize; // a source that reports no size is read to its end
    return done >= size ? 0 : qint64(qMin<quint64>(size - done, quint64(bufferSize)));
}

} // namespace

int copyAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target,
                     bool failIfExists)
{
    std::unique_ptr<SourceFile> input;
    if (int error = from.openSource(source, input))
        return error;
    const quint64 size = input->info().Size;
    const qint64 bufferSize = qMax(from.copyBufferSize(), to.copyBufferSize());
    // Don't copy a big file only to be refused at the end. A file that fits in
    // one block skips this look: the commit looks anyway, and on a share every
    // look is a round trip.
    if (failIfExists && size > quint64(bufferSize) && to.canOpenForReading(target))
        return PlatformError::FileExists;
    std::unique_ptr<PartFile> output;
    if (int error = to.createPart(target, output))
        return error;

    QByteArray current(size == 0 ? 4096 : qint64(qMin<quint64>(size, quint64(bufferSize))),
                       Qt::Uninitialized);
    QByteArray ahead;
    quint64 total = 0;
    qint64 wanted = nextBlock(size, total, current.size());
    qint64 got = wanted > 0 ? input->read(current.data(), wanted) : 0;
    while (got > 0) {
        total += quint64(got);
        // A file of several blocks reads the next one on another thread while
        // this one is written, so the waits of the two sides overlap.
        wanted = nextBlock(size, total, current.size());
        std::future<qint64> next;
        if (wanted > 0) {
            if (ahead.size() < wanted)
                ahead.resize(current.size());
            next = std::async(std::launch::async, [&input, &ahead, wanted] {
                return input->read(ahead.data(), wanted);
            });
        }
        const int error = output->write(current.constData(), got);
        got = next.valid() ? next.get() : 0;
        if (error)
            return error;
        std::swap(current, ahead);
    }
    if (got < 0)
        return int(-got);
    const FileInfo sourceInfo = input->info();
    input.reset(); // release the source before the target appears
    return output->commit(sourceInfo, failIfExists);
}

int moveAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target)
{
    if (int error = copyAcrossStores(from, source, to, target, true))
        return error;
    if (int error = from.deleteFile(source)) {
        to.deleteFile(target);
        return error;
    }
    return PlatformError::Success;
}

} // namespace tarvo
