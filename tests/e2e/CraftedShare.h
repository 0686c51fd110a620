#pragma once

#include "platform/copy/FileStore.h"
#include "platform/ErrorCodes.h"
#include "platform/local/LocalFileSystem.h"
#include "platform/RoutingFileSystem.h"
#include "platform/smb/ShareConnectionTable.h"

#include <QHash>
#include <QMutex>
#include <QStringList>

namespace tarvo::test {

// A share as a hostile or broken server could present it: every folder lists
// the names the test gives, whatever they are, and every file reads as
// "bytes of <its path>". It never refuses a write or a delete; it records
// each one, so a test can see where the program tried to put or remove files.
class CraftedShare : public FileStore
{
public:
    QStringList listed;

    QStringList writes() const { return locked(m_writes); }
    QStringList deletes() const { return locked(m_deletes); }
    QByteArray written(const QString& path) const
    {
        QMutexLocker lock(&m_mutex);
        return m_files.value(path);
    }
    static QByteArray bytesOf(const QString& path) { return "bytes of " + path.toUtf8(); }

    bool canOpenForReading(const QString&) override { return true; }
    int readAttributes(const QString& path, FileInfo& info) override
    {
        info = fileInfo(path);
        return PlatformError::Success;
    }
    using FileSystem::listFolder;
    int listFolder(const QString&, const Visitor& visit) override
    {
        for (const QString& name : std::as_const(listed)) {
            if (!visit(DirEntry{name, fileInfo(name)}))
                break;
        }
        return PlatformError::Success;
    }
    CopyOutcome copy(const CopyRequest& request) override
    {
        return copyAcrossStores(*this, *this, request);
    }
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override
    {
        return moveAcrossStores(*this, source, *this, target, copiedAs);
    }
    int deleteFile(const QString& path, const FileInfo*) override
    {
        QMutexLocker lock(&m_mutex);
        m_deletes.append(path);
        return PlatformError::Success;
    }
    int openSource(const QString& path, std::unique_ptr<SourceFile>& file) override
    {
        file = std::make_unique<Source>(bytesOf(path), fileInfo(path));
        return PlatformError::Success;
    }
    int createPart(const QString& target, std::unique_ptr<PartFile>& file) override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_writes.append(target);
        }
        file = std::make_unique<Part>(*this, target);
        return PlatformError::Success;
    }
    bool canRename(const QString&, const QString&) const override { return false; }
    qint64 copyBufferSize() const override { return 4096; }

private:
    class Source : public SourceFile
    {
    public:
        Source(QByteArray bytes, FileInfo info)
            : m_bytes(std::move(bytes))
            , m_info(info)
        {}
        const FileInfo& info() const override { return m_info; }
        qint64 read(char* buffer, qint64 size) override
        {
            const qint64 count = std::min(size, qint64(m_bytes.size()) - m_position);
            std::copy_n(m_bytes.constData() + m_position, count, buffer);
            m_position += count;
            return count;
        }
        int currentInfo(FileInfo& info) override
        {
            info = m_info;
            return PlatformError::Success;
        }

    private:
        QByteArray m_bytes;
        FileInfo m_info;
        qint64 m_position = 0;
    };

    class Part : public PartFile
    {
    public:
        Part(CraftedShare& share, QString target)
            : m_share(share)
            , m_target(std::move(target))
        {}
        int write(const char* data, qint64 size) override
        {
            m_bytes.append(data, size);
            return PlatformError::Success;
        }
        int storedSize(quint64& size) override
        {
            size = quint64(m_bytes.size());
            return PlatformError::Success;
        }
        int commit(const FileInfo&, bool) override
        {
            QMutexLocker lock(&m_share.m_mutex);
            m_share.m_files.insert(m_target, m_bytes);
            return PlatformError::Success;
        }

    private:
        CraftedShare& m_share;
        QString m_target;
        QByteArray m_bytes;
    };

    static FileInfo fileInfo(const QString& path)
    {
        FileInfo info;
        info.Attributes = FileAttribute::Archive;
        info.LastWriteTime = 133'000'000'000'000'000ULL;
        info.Size = quint64(bytesOf(path).size());
        return info;
    }
    QStringList locked(const QStringList& list) const
    {
        QMutexLocker lock(&m_mutex);
        return list;
    }

    mutable QMutex m_mutex;
    QHash<QString, QByteArray> m_files;
    QStringList m_writes;
    QStringList m_deletes;
};

// The program's file system with the crafted share in place of SMB: device
// paths under a real device root, network paths on the crafted share, and a
// connection table whose every logon succeeds.
class CraftedPlatform
{
public:
    explicit CraftedPlatform(const QString& deviceRoot)
        : local(DevicePaths(deviceRoot))
        , files(local, share)
        , connections([](const ShareCredentials&) { return PlatformError::Success; })
    {}

    CraftedShare share;
    LocalFileSystem local;
    RoutingFileSystem files;
    ShareConnectionTable connections;
};

} // namespace tarvo::test
