#pragma once

#include "platform/DevicePaths.h"
#include "platform/local/LocalFileSystem.h"
#include "tests/support/TempFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace tarvo::test {

// A device root in a temporary folder, the real local file system over it,
// and helpers that reach its files by device path ("\My Documents\a.txt").
class DeviceFiles
{
public:
    DeviceFiles()
        : m_files(DevicePaths(m_root.path()))
    {}

    LocalFileSystem& files() { return m_files; }
    QString native(const QString& devicePath) const { return m_files.paths().toNative(devicePath); }

    // Writes the file, with a fixed last-write time so that copies compare.
    void write(const QString& devicePath, const QByteArray& bytes,
               const QDateTime& modified = QDateTime(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC))
    {
        const QString path = native(devicePath);
        m_root.write(QDir(m_root.path()).relativeFilePath(path), bytes);
        setModified(devicePath, modified);
    }
    void setModified(const QString& devicePath, const QDateTime& modified)
    {
        QFile file(native(devicePath));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    }
    void makeFolder(const QString& devicePath) { QDir().mkpath(native(devicePath)); }
    QByteArray read(const QString& devicePath) const
    {
        return TempFolder::read(native(devicePath));
    }
    bool exists(const QString& devicePath) const { return QFileInfo::exists(native(devicePath)); }
    QStringList names(const QString& deviceFolder) const
    {
        return QDir(native(deviceFolder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private:
    TempFolder m_root;
    LocalFileSystem m_files;
};

} // namespace tarvo::test
