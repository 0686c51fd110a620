#pragma once

#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <memory>
#include <QStringList>

namespace tarvo::test {

// A port on 127.0.0.1 that nothing listens on now, reserved for this process
// until it ends: tests run side by side, and one whose server stops and
// starts again on its port must never find another test's server there.
int FreeLoopbackPort();

// A server on 127.0.0.1 that takes TCP connections and never says a word:
// the kernel completes the handshake for the backlog, nobody reads.
class SilentServer
{
public:
    SilentServer();
    ~SilentServer();
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A private Samba server on 127.0.0.1 for tests: smbd with its own
// configuration, password database and share folders in a temporary folder,
// on a free port, reached as "\\127.0.0.1:PORT\share" with user "tester".
// It runs as root (the tester logs on as root through a username map) and is
// stopped by its process group, so the children serving connections go too.
class SambaServer
{
public:
    static constexpr const char* UserName = "tester";

    SambaServer();
    ~SambaServer() { stop(); }

    // True when smbd and smbpasswd are installed.
    static bool isInstalled();
    // Starts smbd (again, on the same port after stop()) and waits until the
    // port answers. False with the reason in error() when it cannot.
    bool start();
    // Kills smbd and every process serving a connection, at once: a transfer
    // in flight is cut off as by a server that went away.
    void stop();
    // Stops smbd and every process serving a connection without ending them
    // (SIGSTOP to the process group), as a server that hangs: connections
    // stay open and nothing answers. resume() lets them go on (SIGCONT).
    // stop() ends a paused server as well.
    void pause();
    void resume();

    // The tester's password; changePassword() sets a new one on the server.
    const QString& password() const { return m_password; }
    bool changePassword(const QString& password);
    // Options an office sets, in smb.conf's words: for the server ("max smbd
    // processes = 3") and for every share ("veto files = /.*/"). A running
    // server restarts to see them.
    bool configure(const QStringList& serverOptions, const QStringList& shareOptions);
    // Empties the folders of both shares, "share" and "other".
    void clearShares();
    // Gives a file on the default share the DOS read-only attribute, as a
    // user of the share would: the server keeps it in an extended attribute,
    // apart from the mode bits.
    bool setReadOnly(const QString& relative);
    // Makes the default share's folder, and what it holds, the account's
    // (for a share with "force user = account") and the folders above it
    // open to that account.
    bool giveShareTo(const QString& account);

    // The local folder behind a share.
    QString shareFolder(const QString& share = "share") const
    {
        return m_folder.filePath("shares/" + share);
    }
    // "\\127.0.0.1:PORT\share"
    QString shareText(const QString& share = "share") const
    {
        return QStringLiteral("\\\\127.0.0.1:%1\\%2").arg(m_port).arg(share);
    }
    int port() const { return m_port; } // for the benchmarks' smbclient
    // The shares that clients hold connected now, a name for each
    // connection, as the server's smbstatus reports them.
    QStringList connectedShares() const;
    const QString& error() const { return m_error; }

private:
    bool waitForPort(bool open) const;

    TempFolder m_folder;
    const QStringList m_shares{"share", "other"};
    QStringList m_serverOptions;
    QStringList m_shareOptions;
    QString m_password;
    QString m_error;
    int m_port = FreeLoopbackPort();
    qint64 m_pid = 0;
};

// Test suites that share one Samba server: started before the first test of
// the suite, stopped after the last. A test that stops it or changes the
// password has it put back, so the next test finds it as new.
class SambaTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override;
    void TearDown() override;
    static SambaServer& samba() { return *s_server; }

private:
    static inline std::unique_ptr<SambaServer> s_server;
    static inline QString s_firstPassword;
};

} // namespace tarvo::test
