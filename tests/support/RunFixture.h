#pragma once

#include "config/ConfigStore.h"
#include "platform/PlatformServices.h"
#include "tests/support/MemoryRunFixture.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SambaServer.h"

#include <QDateTime>
#include <sys/wait.h>

namespace tarvo::test {

// A device root, the real platform services over it and the test Samba
// server, with helpers that reach files on both sides, and runs of the
// transfer: in this process, or through the program as a user runs it.
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

    // Written with a fixed last-write time, so that copies compare.
    static void writeLocal(const QString& path, const QByteArray& bytes,
                           const QDateTime& modified = QDateTime(QDate(2026, 11, 2), QTime(9, 30),
                                                                 Qt::UTC))
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.flush(); // a later write would move the time again
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    }
    void writeDevice(const QString& path, const QByteArray& bytes)
    {
        writeLocal(native(path), bytes);
    }
    void writeShare(const QString& path, const QByteArray& bytes)
    {
        writeLocal(onShare(path), bytes);
    }
    QByteArray readShare(const QString& path) const { return TempFolder::read(onShare(path)); }
    bool deviceHas(const QString& devicePath) const { return QFile::exists(native(devicePath)); }
    QStringList shareNames(const QString& folder) const
    {
        return QDir(onShare(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
    void makeShareFolder(const QString& folder) const { QDir().mkpath(onShare(folder)); }
    QString native(const QString& path) const { return platform->devicePaths().toNative(path); }
    static QString onShare(const QString& path) { return samba().shareFolder() + u'/' + path; }
    // "\\127.0.0.1:port\share\" + relative with backslashes
    static QString sharePath(const QString& relative)
    {
        return samba().shareText() + u'\\' + QString(relative).replace(u'/', u'\\');
    }

    // A Net session line for the test share.
    static QString line(const QString& direction, const QString& localFolder,
                        const QString& pcFolder, const QString& postOp = "None",
                        const QString& postFolder = {}, const QString& password = {})
    {
        return NetSessionLine(direction, samba().shareText(), "WORKGROUP", localFolder, pcFolder,
                              postOp, postFolder, SambaServer::UserName,
                              password.isNull() ? samba().password() : password);
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

    // `tarvo ARGUMENTS` on the fixture's settings, with its state folder in
    // the test's; its standard output goes to `output` (a terminal's, say) or
    // to a file that FinishProgram reads. `environment` comes last and wins.
    qint64 start(const QStringList& arguments, const QStringList& environment = {},
                 const QString& output = {})
    {
        m_work.write("tarvo.txt",
                     configFile.isNull() ? SettingsFileBytes(params.settings) : configFile);
        const QStringList options{"--config", m_work.filePath("tarvo.txt"), "--root",
                                  platform->devicePaths().root()};
        const QString registry = "TARVO_REGISTRY=" + m_work.filePath("registry.ini");
        // The run record goes into the test's folder, never the user's.
        const QString state = "XDG_STATE_HOME=" + m_work.filePath("state");
        return StartProgram(TARVO_BINARY_DIR "/app/tarvo", options + arguments,
                            QStringList{registry, state} + environment, m_work, output);
    }
    Outcome tarvo(const QStringList& arguments, const QStringList& environment = {})
    {
        return FinishProgram(start(arguments, environment), m_work);
    }
    // Starts `tarvo ARGUMENTS` and lets it run until the reads and writes of
    // files on the device (the source of a Put, the part of a Get) have moved
    // `bytes`: the process then stops itself inside the call that got there
    // (support/StopAfterBytes.cpp). Its pid, stopped; -1 when it ended first.
    qint64 startUntilStopped(quint64 bytes, const QStringList& arguments,
                             const QString& output = {})
    {
        const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
        const QStringList environment{
            "LD_PRELOAD=" TARVO_STOP_AFTER_BYTES_LIBRARY,
            "TARVO_TEST_STOP_AFTER_BYTES=" + QString::number(bytes),
            "TARVO_TEST_STOP_IN=" + platform->devicePaths().root(),
            // AddressSanitizer wants its runtime first among the libraries.
            "ASAN_OPTIONS=" + (asan.isEmpty() ? asan : asan + ':') + "verify_asan_link_order=0"};
        const qint64 pid = start(arguments, environment, output);
        int status = 0;
        if (pid <= 0 || ::waitpid(pid_t(pid), &status, WUNTRACED) != pid)
            return -1;
        return WIFSTOPPED(status) ? pid : -1;
    }

    std::unique_ptr<PlatformServices> platform;
    // The configuration file that `tarvo` reads, when a test writes it by
    // hand; null: the fixture's settings as a save writes them.
    QByteArray configFile;
    ScriptedMessageService messages;
    RunRecord observer;
    TransferParams params;
    CopyWatcher* copyWatcher = nullptr;
    TempFolder m_work;
    TempFolder m_root;
};

} // namespace tarvo::test
