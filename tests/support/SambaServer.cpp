#include "tests/support/SambaServer.h"

#include "tests/support/RunProgram.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tarvo::test {

namespace {

QString Tool(const QString& name)
{
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin"});
}

// A socket's address on 127.0.0.1 and port (0: any), and its port afterwards.
struct Loopback
{
    explicit Loopback(int port)
        : address{AF_INET, htons(quint16(port)), {htonl(INADDR_LOOPBACK)}, {}}
    {}
    ~Loopback() { ::close(fd); }
    sockaddr* at() { return reinterpret_cast<sockaddr*>(&address); }
    int bound()
    {
        socklen_t length = sizeof address;
        return ::bind(fd, at(), length) == 0 && ::getsockname(fd, at(), &length) == 0
                   ? ntohs(address.sin_port)
                   : 0;
    }
    bool connects() { return ::connect(fd, at(), sizeof address) == 0; }

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
};

} // namespace

int FreeLoopbackPort()
{
    // A lock on a file named after the port, held until the process ends,
    // reserves it among the test processes of this machine.
    const QString folder = QDir::tempPath() + "/tarvo-test-ports/";
    QDir().mkpath(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = Loopback(0).bound();
        const int fd = ::open(QFile::encodeName(folder + QString::number(port)).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (port == 0 || fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return port; // the descriptor stays open, and with it the lock
        ::close(fd);
    }
    return 0;
}

SilentServer::SilentServer()
{
    Loopback socket(0);
    m_port = socket.bound();
    if (::listen(socket.fd, 16) == 0)
        m_fd = ::fcntl(socket.fd, F_DUPFD_CLOEXEC, 0);
}

SilentServer::~SilentServer()
{
    ::close(m_fd);
}

SambaServer::SambaServer()
    : m_password("Pw-" + QUuid::createUuid().toString(QUuid::Id128).left(12))
{
    for (const char* sub : {"private", "lock", "state", "cache", "pid", "log", "ncalrpc"})
        QDir(m_folder.path()).mkpath(sub);
    clearShares();
}

bool SambaServer::isInstalled()
{
    return !Tool("smbd").isEmpty() && !Tool("smbpasswd").isEmpty();
}

// The password goes to smbpasswd on its standard input, never on a command line.
bool SambaServer::changePassword(const QString& password)
{
    m_password = password;
    const QByteArray line = password.toUtf8() + '\n';
    return RunProgram(Tool("smbpasswd"), {"-c", m_folder.filePath("smb.conf"), "-s", "-a", "root"},
                      line + line) == 0;
}

bool SambaServer::waitForPort(bool open) const
{
    const QDeadlineTimer deadline(20000);
    while (Loopback(m_port).connects() != open && !deadline.hasExpired())
        QThread::msleep(20);
    return !deadline.hasExpired();
}

bool SambaServer::start()
{
    if (m_pid > 0)
        return true;
    QString text = QStringLiteral("[global]\nsmb ports = %1\ninterfaces = 127.0.0.1\n"
                                  "bind interfaces only = yes\ndisable netbios = yes\n"
                                  "log level = 0\nload printers = no\ndisable spoolss = yes\n"
                                  "printcap name = /dev/null\nserver role = standalone server\n"
                                  "map to guest = never\nusername map = %2/users.map\n"
                                  "passdb backend = tdbsam:%2/private/passdb.tdb\n"
                                  "private dir = %2/private\nlock directory = %2/lock\n"
                                  "state directory = %2/state\ncache directory = %2/cache\n"
                                  "pid directory = %2/pid\nncalrpc dir = %2/ncalrpc\n"
                                  "log file = %2/log/smbd.log\n")
                       .arg(m_port)
                       .arg(m_folder.path()) +
                   m_serverOptions.join(u'\n');
    for (const QString& share : std::as_const(m_shares)) {
        text += QStringLiteral("\n[%1]\npath = %2\nvalid users = root\nread only = no\n%3\n")
                    .arg(share, shareFolder(share), m_shareOptions.join(u'\n'));
    }
    m_folder.write("users.map", "root = tester\n");
    m_folder.write("smb.conf", text.toUtf8());
    // As a daemon smbd leads a process group of its own, which holds the
    // children that serve connections: stop() ends them all. Exit code -1:
    // smbd or smbpasswd is missing, or smbpasswd failed.
    const int exitCode =
        isInstalled() && changePassword(m_password)
            ? RunProgram(Tool("smbd"), {"--configfile=" + m_folder.filePath("smb.conf"), "-D"})
            : -1;
    const bool listening = exitCode == 0 && waitForPort(true);
    m_pid = TempFolder::read(m_folder.filePath("pid/smbd.pid")).trimmed().toLongLong();
    m_error =
        QStringLiteral("smbd did not start on port %1 (exit code %2)").arg(m_port).arg(exitCode);
    return listening && m_pid > 0;
}

void SambaServer::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(-pid_t(m_pid), SIGKILL);
    // A killed daemon stays a zombie until init reaps it; it holds no port
    // and no file, so it counts as gone.
    const QString stat = QStringLiteral("/proc/%1/stat").arg(m_pid);
    const QDeadlineTimer deadline(10000);
    for (QByteArray status; !(status = TempFolder::read(stat)).isEmpty() &&
                            status.mid(status.lastIndexOf(')') + 2, 1) != "Z" &&
                            !deadline.hasExpired();)
        QThread::msleep(10);
    QFile::remove(m_folder.filePath("pid/smbd.pid"));
    m_pid = 0;
    waitForPort(false);
}

void SambaServer::pause()
{
    if (m_pid > 0)
        ::kill(-pid_t(m_pid), SIGSTOP);
}

void SambaServer::resume()
{
    if (m_pid > 0)
        ::kill(-pid_t(m_pid), SIGCONT);
}

void SambaServer::clearShares()
{
    for (const QString& share : std::as_const(m_shares)) {
        QDir(shareFolder(share)).removeRecursively();
        QDir().mkpath(shareFolder(share));
    }
}

bool SambaServer::configure(const QStringList& serverOptions, const QStringList& shareOptions)
{
    if (serverOptions == m_serverOptions && shareOptions == m_shareOptions)
        return true;
    m_serverOptions = serverOptions;
    m_shareOptions = shareOptions;
    const bool running = m_pid > 0;
    stop();
    return !running || start();
}

bool SambaServer::setReadOnly(const QString& relative)
{
    // In the oldest form Samba reads: the attributes in hex, ended by a NUL.
    return ::setxattr(QFile::encodeName(shareFolder() + u'/' + relative).constData(),
                      "user.DOSATTRIB", "0x1", 4, 0) == 0;
}

bool SambaServer::giveShareTo(const QString& account)
{
    return RunProgram("chmod", {"0711", m_folder.path(), m_folder.filePath("shares")}) == 0 &&
           RunProgram("chown", {"-R", account + ':' + account, shareFolder()}) == 0;
}

QStringList SambaServer::connectedShares() const
{
    const TempFolder output;
    const QString configuration = "--configfile=" + m_folder.filePath("smb.conf");
    const Outcome status = FinishProgram(
        StartProgram(Tool("smbstatus"), {configuration, "--shares"}, {}, output), output);
    // A row a connection, the share's name first; the headers and IPC$ name none of them.
    QStringList connected;
    for (const QByteArray& row : status.out.split('\n')) {
        const QString first = QString::fromUtf8(row.simplified().split(' ').first());
        if (m_shares.contains(first))
            connected.append(first);
    }
    return connected;
}

void SambaTest::SetUpTestSuite()
{
    s_server = std::make_unique<SambaServer>();
    s_firstPassword = s_server->password();
}

void SambaTest::SetUp()
{
    if (!SambaServer::isInstalled())
        GTEST_SKIP()
            << "Samba's smbd is not installed: the share tests need it (apt-get install samba)";
    ASSERT_TRUE(s_server->start()) << s_server->error().toStdString();
    s_server->clearShares();
}

void SambaTest::TearDown()
{
    if (s_server->password() != s_firstPassword)
        s_server->changePassword(s_firstPassword);
    // The next test meets the server as it is set up by default: options
    // that a test set (a forced user, a read-only share) go with it.
    s_server->configure({}, {});
    s_server->start();
}

} // namespace tarvo::test
