#include "platform/FileStore.h"

#include "platform/ErrorCodes.h"

#include <QByteArray>

namespace tarvo {

int copyAcrossStores(FileStore& from, const QString& source, FileStore& to, const QString& target,
                     bool failIfExists)
{
    std::unique_ptr<SourceFile> input;
    if (int error = from.openSource(source, input))
        return error;
    if (failIfExists && to.canOpenForReading(target))
        return PlatformError::FileExists; // don't copy a whole file only to be refused
    std::unique_ptr<PartFile> output;
    if (int error = to.createPart(target, output))
        return error;

    // A small file needs one read; a big one streams through a buffer that
    // the source side reads best with.
    const qint64 bufferSize =
        qBound<qint64>(4096, qint64(input->info().Size) + 1, from.copyBufferSize());
    QByteArray buffer(bufferSize, Qt::Uninitialized);
    quint64 total = 0;
    for (;;) {
        const qint64 got = input->read(buffer.data(), bufferSize);
        if (got < 0)
            return int(-got);
        if (got == 0)
            break;
        if (int error = output->write(buffer.constData(), got))
            return error;
        total += quint64(got);
        if (got < bufferSize && total >= input->info().Size)
            break; // a short read that completes the file: the end, without another request
    }
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
