#pragma once

#include "tests/support/RunFixture.h"

#include <atomic>
#include <semaphore>
#include <sys/stat.h>
#include <thread>

namespace tarvo::test {

constexpr qint64 MiB = 1 << 20;

// The program's part files in a folder and in its part folder.
inline QStringList PartsIn(const QString& folder)
{
    const auto all = QDir::Files | QDir::Hidden | QDir::System;
    QStringList parts = QDir(folder).entryList({"*tarvo-*"}, all);
    for (const QString& name : QDir(folder + "/.tarvo-parts").entryList(all))
        parts.append(".tarvo-parts/" + name);
    return parts;
}

// The files of a folder with their bytes, and with their inodes: a file
// copied again has a new one.
inline QMap<QString, QByteArray> FilesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, TempFolder::read(folder + u'/' + name));
    return files;
}
inline QMap<QString, ino_t> Inodes(const QString& folder)
{
    QMap<QString, ino_t> inodes;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        struct stat status = {};
        ::stat(QFile::encodeName(folder + u'/' + name).constData(), &status);
        inodes.insert(name, status.st_ino);
    }
    return inodes;
}

// Bytes in which no two blocks are alike: a copy that mixed up or dropped a
// block shows it.
inline QByteArray Pattern(qsizetype size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i / 4096 * 7 + i + seed) % 251);
    return bytes;
}

// A dry run's lines cut to their action, file and target.
inline QStringList ActionsOf(const QStringList& lines)
{
    QStringList actions;
    for (const QString& line : lines)
        actions.append(line.section(u'\t', 0, 2));
    return actions;
}

// Whole runs against the test server, every file shown.
class Scenario : public RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        params.settings.Filter = "*";
    }
    // One file's copy by session "S", the run's only entry: a Put from the
    // device's \Outbox to the share's folder out, or a Get from the share's
    // folder in to \Inbox. Its target folder is there.
    struct OneCopy
    {
        QString source, target, sourceOnDisk, targetOnDisk, targetFolder;
    };
    OneCopy copyOf(bool get, const QString& name, const QString& postOp = "None")
    {
        const QString device = (get ? "\\Inbox\\" : "\\Outbox\\") + name;
        const QString share = (get ? "in/" : "out/") + name;
        OneCopy copy{device, sharePath(share), native(device), onShare(share), {}};
        if (get) {
            std::swap(copy.source, copy.target);
            std::swap(copy.sourceOnDisk, copy.targetOnDisk);
        }
        copy.targetFolder = QFileInfo(copy.targetOnDisk).absolutePath();
        QDir().mkpath(copy.targetFolder);
        addSession("S", line(get ? "Get" : "Put", get ? "\\Inbox" : "\\Outbox",
                             get ? "\\in" : "\\out", postOp));
        params.entries = {{"S", copy.source}};
        return copy;
    }
    // Connects `name` of the run's platform to a share of the test server.
    int connect(const QString& name, const QString& share = "share")
    {
        return platform->connections().addConnection(
            name, samba().shareText(share), SambaServer::UserName, samba().password(), true);
    }
    static QString copyFailed(const QString& source, const QString& target, const QString& why)
    {
        return QStringLiteral("Failed to copy file %1 to %2\r\n%3").arg(source, target, why);
    }

    // Runs the transfer on a thread of its own and holds the first copy that
    // has moved `bytes` of its file while `atPause` acts on the test's thread:
    // the change lands at a known point of the copy.
    int runPausedAt(quint64 bytes, const std::function<void()>& atPause)
    {
        struct Pause : CopyWatcher
        {
            void blockCopied(quint64 done, quint64) override
            {
                if (done >= bytes && !reached.exchange(true)) {
                    paused.release();
                    resume.acquire();
                }
            }
            quint64 bytes;
            std::atomic_bool reached{false};
            std::binary_semaphore paused{0}, resume{0};
        } pause;
        pause.bytes = bytes;
        copyWatcher = &pause;
        int result = -1;
        std::thread worker([&] {
            result = run();
            if (!pause.reached.exchange(true))
                pause.paused.release(); // the run ended before any copy came there
        });
        pause.paused.acquire();
        atPause();
        pause.resume.release();
        worker.join();
        copyWatcher = nullptr;
        return result;
    }
};

} // namespace tarvo::test
