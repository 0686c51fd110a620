#pragma once

#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "core/transfer/TransferObserver.h"
#include "core/transfer/TransferRun.h"
#include "platform/PlatformServices.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SambaServer.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <sys/wait.h>

namespace tarvo::test {

// Records what a run reports, one text per report: "session X", the
// progress line of each file, "bar N" and the summary.
class RecordingObserver : public TransferObserver
{
public:
    void sessionStarted(const QString& name) override { add(QStringLiteral("session ") + name); }
    void fileShown(const ShownFile& file) override
    {
        QMutexLocker lock(&m_mutex);
        m_files.append(file);
        m_events.append(file.progressLine);
    }
    void positionChanged(int percent) override { add(QStringLiteral("bar %1").arg(percent)); }
    void runFinished(const RunSummary& summary) override
    {
        add(summary.text());
        if (summary.failedPostOperations > 0)
            add(summary.postOperationsText());
    }

    QStringList events() const
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }
    QStringList filtered(const QString& prefix) const
    {
        return events().filter(QRegularExpression(QStringLiteral("^") + prefix));
    }
    QList<ShownFile> files() const
    {
        QMutexLocker lock(&m_mutex);
        return m_files;
    }

private:
    void add(const QString& event)
    {
        QMutexLocker lock(&m_mutex);
        m_events.append(event);
    }

    mutable QMutex m_mutex;
    QStringList m_events;
    QList<ShownFile> m_files;
};

// A device root, the real platform services over it and the test Samba
// server, with helpers that write and read files on both sides, and runs of
// the transfer: in this process, or through the program as a user runs it.
class RunFixture : public SambaTest
{
protected:
    void SetUp() override
    {
        SambaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QString error;
        platform = PlatformServices::create(m_root.path(), &error);
        ASSERT_TRUE(platform) << error.toStdString();
    }

    static const QDateTime& stamp()
    {
        static const QDateTime time(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC);
        return time;
    }

    // A file on the device, by device path.
    void writeDevice(const QString& devicePath, const QByteArray& bytes,
                     const QDateTime& modified = stamp())
    {
        writeLocal(native(devicePath), bytes, modified);
    }
    QByteArray readDevice(const QString& devicePath) const
    {
        return TempFolder::read(native(devicePath));
    }
    bool deviceHas(const QString& devicePath) const { return QFile::exists(native(devicePath)); }

    // A file on the share, by its path inside the share ("out/a.txt").
    void writeShare(const QString& relative, const QByteArray& bytes,
                    const QDateTime& modified = stamp())
    {
        writeLocal(onShare(relative), bytes, modified);
    }
    QByteArray readShare(const QString& relative) const
    {
        return TempFolder::read(onShare(relative));
    }
    QStringList shareNames(const QString& folder) const
    {
        return QDir(onShare(folder))
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
    void makeShareFolder(const QString& folder) const { QDir().mkpath(onShare(folder)); }
    // "\\127.0.0.1:port\share\" + relative with backslashes
    QString sharePath(const QString& relative) const
    {
        return samba().shareText() + u'\\' + QString(relative).replace(u'/', u'\\');
    }

    // A Net session line for the test share.
    QString line(const QString& direction, const QString& localFolder, const QString& pcFolder,
                 const QString& postOp = "None", const QString& postFolder = {},
                 const QString& password = {}) const
    {
        return QStringList{"Net",
                           direction,
                           samba().shareText(),
                           "WORKGROUP",
                           localFolder,
                           pcFolder,
                           postOp,
                           postFolder,
                           SambaServer::UserName,
                           password.isNull() ? samba().password() : password}
            .join(u',');
    }

    void addSession(const QString& name, const QString& sessionLine, bool isDefault = true)
    {
        params.settings.Sessions.insert(name, sessionLine);
        if (isDefault)
            params.settings.DefaultSession.append(name);
    }

    int run()
    {
        TransferRun transfer(
            params, {platform->files(), platform->connections(), messages, observer, copyWatcher});
        return transfer.RunTransfer();
    }

    QString native(const QString& devicePath) const
    {
        return platform->devicePaths().toNative(devicePath);
    }
    QString onShare(const QString& relative) const
    {
        return samba().shareFolder() + u'/' + relative;
    }

#ifdef TARVO_EXECUTABLE
    struct Outcome
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    // `tarvo ARGUMENTS` on the fixture's settings; its standard output goes
    // to `output` (a terminal's, say) or to a file that finish() reads.
    qint64 start(const QStringList& arguments, const QStringList& environment = {},
                 const QString& output = {})
    {
        m_work.write("tarvo.txt", SettingsFileBytes(params.settings));
        return StartProgram(
            TARVO_EXECUTABLE,
            QStringList{"--config", m_work.filePath("tarvo.txt"), "--root",
                        platform->devicePaths().root()} +
                arguments,
            QStringList{"TARVO_REGISTRY=" + m_work.filePath("registry.ini")} + environment,
            output.isEmpty() ? m_work.filePath("out") : output, m_work.filePath("err"));
    }
    Outcome finish(qint64 pid) const
    {
        int status = 0;
        ::waitpid(pid_t(pid), &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                TempFolder::read(m_work.filePath("out")), TempFolder::read(m_work.filePath("err"))};
    }
    Outcome tarvo(const QStringList& arguments, const QStringList& environment = {})
    {
        return finish(start(arguments, environment));
    }
#endif

    std::unique_ptr<PlatformServices> platform;
    ScriptedMessageService messages;
    RecordingObserver observer;
    TransferParams params;
    CopyWatcher* copyWatcher = nullptr;

    static void writeLocal(const QString& path, const QByteArray& bytes,
                           const QDateTime& modified = stamp())
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.flush(); // a later write would move the time again
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    }

    TempFolder m_work;

private:
    TempFolder m_root;
};

} // namespace tarvo::test
