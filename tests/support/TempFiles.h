#pragma once

#include <csignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/resource.h>

namespace tarvo::test {

// A temporary folder with helpers to write and read whole files in it.
class TempFolder : public QTemporaryDir
{
public:
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString target = filePath(name);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return target;
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// While it lives, no file of the process grows past `bytes`: a write beyond
// fails (EFBIG) as on a disk that has just filled up, after a short write of
// what still fits.
struct FileSizeLimit
{
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
        const rlimit limit{bytes, before.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &before); }
    rlimit before{};
};

} // namespace tarvo::test
