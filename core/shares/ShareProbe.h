#pragma once

#include "config/NetSession.h"
#include "platform/PostedCalls.h"
#include "platform/ThreadEnd.h"

#include <memory>
#include <QObject>
#include <QString>
#include <thread>

namespace tarvo {

class FileSystem;
class ShareConnections;

// The connection name a probe logs on under: a session name may not hold
// "=", so it never meets a session's own connection.
inline constexpr char16_t ProbeConnectionName[] = u"=session test";

// Logs on to the session's share with its user name and password, lists its
// PC folder and signs off again; says in one sentence what it found or why it
// failed: "Logged on to \\pc\docs; \Incoming holds 12 files and 3 folders."
// Blocks while the server is asked: call it on a worker thread.
QString ProbeShareFolder(const NetSession& session, ShareConnections& connections,
                         FileSystem& files);

// Runs ProbeShareFolder on a worker thread, so that a server that does not
// answer never holds up the window, and hands its sentence to the thread
// the prober lives in. A probe that is abandoned reports nothing; its thread
// runs to its end on its own.
class ShareProber : public QObject
{
    Q_OBJECT

public:
    ShareProber(ShareConnections& connections, FileSystem& files, QObject* parent = nullptr);
    // Abandons a probe under way and waits for its thread, serving the events
    // of this thread meanwhile.
    ~ShareProber() override;

    // Does nothing while a probe, even an abandoned one, still runs;
    // finished() follows otherwise.
    void start(const NetSession& session);
    // Drops what the probe under way would report.
    void abandon();
    // True from start() until finished() or abandon().
    bool isRunning() const { return m_worker && !m_abandoned; }

signals:
    void finished(const QString& found);

private:
    void ended(const QString& found);

    ShareConnections& m_connections;
    FileSystem& m_files;
    bool m_abandoned = false;
    struct Probe
    {
        ThreadEnd end;
        std::jthread thread;
    };
    std::unique_ptr<Probe> m_worker;
    PostedCalls m_posted{this}; // the probe's end; outlives the worker
};

} // namespace tarvo
