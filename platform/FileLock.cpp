#include "platform/FileLock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <QFile>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tarvo {

FileLock::FileLock(const QString& path, int waitMs)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_error = QStringLiteral("%1: %2").arg(path, qt_error_string(errno));
        return;
    }
    // flock() cannot wait for a while only: look again every few
    // milliseconds, as another program holds it for a write at most.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            m_error = QStringLiteral("%1: %2").arg(path, qt_error_string(errno));
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_error = QStringLiteral("%1 is held by another program").arg(path);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_locked = true;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // lets go of the lock
}

} // namespace tarvo
