#pragma once

#include "tests/support/QtPrinters.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <ostream>
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QThread>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::test {

// A small tmpfs mounted over a folder for as long as it lives, so that a
// copy into it runs out of space for real. Mounting needs root.
class SmallDisk
{
public:
    SmallDisk(const QString& folder, int megabytes)
        : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(megabytes) + "m,mode=0777";
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                            options.data()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

// A server that accepts TCP connections on 127.0.0.1 and never says a word:
// the kernel completes the handshake for the backlog, nobody reads.
class SilentServer
{
public:
    SilentServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_fd, 16) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(m_fd); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    int port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A file of the given size whose blocks all differ, written in big blocks:
// fast, and a copy that mixed up or dropped a block shows it.
inline void WriteBigFile(const QString& path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QByteArray block(4 << 20, 'b');
    for (qint64 written = 0, index = 0; written < size; ++index) {
        std::memcpy(block.data(), &index, sizeof index);
        const qint64 part = qMin<qint64>(block.size(), size - written);
        file.write(block.constData(), part);
        written += part;
    }
}

// The temporary files that copies write beside their targets.
inline QStringList PartFiles(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".tarvo-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

// Waits until a part file in the folder has grown past the size, while the
// thread that copies runs; false when the copy ended first.
inline bool WaitForPartToGrow(const QString& folder, qint64 size, const QThread& copier)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000 && !copier.isFinished()) {
        for (const QString& name : PartFiles(folder)) {
            if (QFileInfo(folder + u'/' + name).size() > size)
                return true;
        }
        QThread::msleep(1);
    }
    return false;
}

} // namespace tarvo::test
