#pragma once

#include <QString>

namespace tarvo {

// An exclusive lock on a lock file, held while this object lives, that
// programs take before they change something they share. Each thread that
// takes it needs its own FileLock; the system lets go of it when a program
// that holds it ends, so a crash never leaves it taken. Taking it costs no
// write to the disk.
class FileLock
{
public:
    // Makes the lock file (for its owner only) when it is missing, and waits
    // at most `waitMs` for the lock.
    FileLock(const QString& path, int waitMs);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_locked; }
    // Why the lock was not taken.
    QString error() const { return m_error; }

private:
    int m_fd = -1;
    bool m_locked = false;
    QString m_error;
};

} // namespace tarvo
