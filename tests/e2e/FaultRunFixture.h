#pragma once

#include "tests/e2e/FaultSupport.h"
#include "tests/support/RunFixture.h"

#include <functional>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

namespace tarvo::test {

// Records the run like RecordingObserver and lets a test act when a session
// starts (bring the server back, for instance), on the run's own thread.
class HookedObserver : public RecordingObserver
{
public:
    void sessionStarted(const QString& name) override
    {
        if (onSession)
            onSession(name);
        RecordingObserver::sessionStarted(name);
    }

    std::function<void(const QString&)> onSession;
};

// The transfer run of RunFixture on a thread of its own, so that the test can
// break things while it copies.
class FaultRunFixture : public RunFixture
{
protected:
    static constexpr qint64 BigFileSize = 200 << 20;

    QString entry(const QString& session, const QString& path) const
    {
        return session + u',' + path;
    }
    QString native(const QString& devicePath) const
    {
        return platform->devicePaths().toNative(devicePath);
    }
    QString onShare(const QString& relative) const
    {
        return samba().shareFolder() + u'/' + relative;
    }

    // Starts the run; whileRunning gets the run's thread and may wait on it.
    // The run's result, or -1 when it did not end within the minute.
    int runWhile(const std::function<void(QThread&)>& whileRunning)
    {
        int succeeded = -1;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            TransferRun transfer(params,
                                 {platform->files(), platform->connections(), messages, watcher});
            succeeded = transfer.RunTransfer();
        }));
        QElapsedTimer timer;
        timer.start();
        worker->start();
        whileRunning(*worker);
        const bool ended = worker->wait(60000);
        runMilliseconds = timer.elapsed();
        return ended ? succeeded : -1;
    }

    // Gives a file on the test share the DOS read-only attribute.
    bool makeShareFileReadOnly(const QString& relative)
    {
        samba().setReadOnly(relative);
        // Whether it took, as the program sees it.
        FileInfo info;
        auto& connections = platform->connections();
        const bool connected =
            connections.addConnection(QStringLiteral("Attributes"), samba().shareText(),
                                      QString::fromLatin1(SambaServer::UserName),
                                      samba().password(), false) == 0;
        const bool readOnly = connected &&
                              platform->files().readAttributes(sharePath(relative), info) == 0 &&
                              (info.Attributes & FileAttribute::ReadOnly);
        connections.cancelConnection(QStringLiteral("Attributes"), false, true);
        return readOnly;
    }

    static QString copyFailed(const QString& source, const QString& target, const char* reason)
    {
        return QStringLiteral("Failed to copy file %1 to %2\r\n").arg(source, target) +
               QLatin1String(reason);
    }

    HookedObserver watcher;
    qint64 runMilliseconds = 0;
};

} // namespace tarvo::test
