#include "tests/support/SambaServer.h"

#include "tests/support/RunProgram.h"
#include "tests/support/TempFiles.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::test {

namespace {

QString tool(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin"})
                           : found;
}

// A socket's address on 127.0.0.1 and port (0: any), and its port afterwards.
struct Loopback
{
    explicit Loopback(int port)
    {
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~Loopback() { ::close(fd); }
    sockaddr* at() { return reinterpret_cast<sockaddr*>(&address); }
    int port()
    {
        socklen_t length = sizeof address;
        return ::getsockname(fd, at(), &length) == 0 ? ntohs(address.sin_port) : 0;
    }

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// A killed daemon stays a zombie until init reaps it, which may take a
// second; a zombie holds no port and no file, so it counts as gone.
bool processRuns(qint64 pid)
{
    const QByteArray status = TempFolder::read(QStringLiteral("/proc/%1/stat").arg(pid));
    return pid > 0 && !status.isEmpty() && status.mid(status.lastIndexOf(')') + 2, 1) != "Z";
}

} // namespace

int FreeLoopbackPort()
{
    // A lock on a file named after the port, held until the process ends,
    // reserves it among the test processes of this machine.
    const QString folder = QDir::tempPath() + "/tarvo-test-ports";
    QDir().mkpath(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        Loopback socket(0);
        const int port =
            ::bind(socket.fd, socket.at(), sizeof socket.address) == 0 ? socket.port() : 0;
        const int fd = ::open(QFile::encodeName(folder + u'/' + QString::number(port)).constData(),
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
    if (::bind(socket.fd, socket.at(), sizeof socket.address) == 0 &&
        ::listen(socket.fd, 16) == 0) {
        m_port = socket.port();
        m_fd = ::fcntl(socket.fd, F_DUPFD_CLOEXEC, 0);
    }
}

SilentServer::~SilentServer()
{
    ::close(m_fd);
}

SambaServer::SambaServer()
    : m_shares{DefaultShare}
    , m_password("Pw-" + QUuid::createUuid().toString(QUuid::Id128).left(12))
{
    for (const char* sub : {"private", "lock", "state", "cache", "pid", "log", "ncalrpc"})
        QDir(m_folder.path()).mkpath(sub);
    QDir().mkpath(shareFolder());
}

SambaServer::~SambaServer()
{
    stop();
}

bool SambaServer::isInstalled()
{
    return !tool("smbd").isEmpty() && !tool("smbpasswd").isEmpty();
}

QString SambaServer::server() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QString SambaServer::shareFolder(const QString& share) const
{
    return m_folder.filePath("shares/" + share);
}

QString SambaServer::shareText(const QString& share) const
{
    return "\\\\" + server() + u'\\' + share;
}

bool SambaServer::writeConfiguration()
{
    QString text = QStringLiteral(R"([global]
smb ports = %1
interfaces = 127.0.0.1
bind interfaces only = yes
disable netbios = yes
private dir = %2/private
lock directory = %2/lock
state directory = %2/state
cache directory = %2/cache
pid directory = %2/pid
ncalrpc dir = %2/ncalrpc
log file = %2/log/smbd.log
log level = 0
load printers = no
disable spoolss = yes
printcap name = /dev/null
server role = standalone server
passdb backend = tdbsam:%2/private/passdb.tdb
map to guest = never
username map = %2/users.map
)")
                       .arg(m_port)
                       .arg(m_folder.path());
    text += m_serverOptions.join(u'\n') + u'\n';
    for (const QString& share : std::as_const(m_shares)) {
        text += QStringLiteral("[%1]\npath = %2\nvalid users = root\nread only = no\n%3\n")
                    .arg(share, shareFolder(share), m_shareOptions.join(u'\n'));
    }
    writeFile(m_folder.filePath("users.map"), "root = tester\n");
    return writeFile(m_folder.filePath("smb.conf"), text.toUtf8());
}

// The password goes to smbpasswd on its standard input, never on a command line.
bool SambaServer::setPassword(const QString& password)
{
    const QByteArray line = password.toUtf8() + '\n';
    QByteArray errors;
    const QStringList add = m_passwordSet ? QStringList() : QStringList{"-a"};
    if (RunProgram(tool("smbpasswd"),
                   QStringList{"-c", m_folder.filePath("smb.conf"), "-s"} + add +
                       QStringList{"root"},
                   line + line, &errors) != 0) {
        m_error = "smbpasswd failed: " + QString::fromLocal8Bit(errors);
        return false;
    }
    return m_passwordSet = true;
}

bool SambaServer::changePassword(const QString& password)
{
    if (!setPassword(password))
        return false;
    m_password = password;
    return true;
}

bool SambaServer::waitForPort(bool open) const
{
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        Loopback socket(m_port);
        if ((::connect(socket.fd, socket.at(), sizeof socket.address) == 0) == open)
            return true;
        QThread::msleep(20);
    }
    return false;
}

bool SambaServer::start()
{
    if (isRunning())
        return true;
    if (!isInstalled()) {
        m_error = "smbd is not installed";
        return false;
    }
    if (m_port == 0)
        m_port = FreeLoopbackPort();
    if (!writeConfiguration() || (!m_passwordSet && !setPassword(m_password)))
        return false;
    // As a daemon smbd leads a process group of its own, which holds the
    // children that serve connections: stop() ends them all.
    const int exitCode =
        RunProgram(tool("smbd"), {"--configfile=" + m_folder.filePath("smb.conf"), "-D"});
    const bool listening = exitCode == 0 && waitForPort(true);
    m_pid = TempFolder::read(m_folder.filePath("pid/smbd.pid")).trimmed().toLongLong();
    if (!listening || m_pid <= 0) {
        m_error = QStringLiteral("smbd did not start on port %1 (exit code %2)")
                      .arg(m_port)
                      .arg(exitCode);
        return false;
    }
    return true;
}

void SambaServer::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(-pid_t(m_pid), SIGKILL);
    const QDeadlineTimer deadline(10000);
    while (processRuns(m_pid) && !deadline.hasExpired())
        QThread::msleep(10);
    QFile::remove(m_folder.filePath("pid/smbd.pid"));
    m_pid = 0;
    waitForPort(false);
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
        return isRunning() || writeConfiguration();
    m_serverOptions = serverOptions;
    m_shareOptions = shareOptions;
    return restart();
}

bool SambaServer::addShare(const QString& name)
{
    if (m_shares.contains(name))
        return true;
    QDir().mkpath(shareFolder(name));
    m_shares.append(name);
    return restart();
}

bool SambaServer::removeShare(const QString& name)
{
    m_shares.removeAll(name);
    return restart();
}

bool SambaServer::restart()
{
    const bool running = isRunning();
    stop();
    return running ? start() : writeConfiguration();
}

bool SambaServer::setReadOnly(const QString& relative)
{
    const TempFolder folder;
    const QString credentials = folder.write(
        "credentials",
        QStringLiteral("username = %1\npassword = %2\n").arg(UserName, m_password).toUtf8());
    return RunProgram(
               tool("smbclient"),
               {"//127.0.0.1/" + QString(DefaultShare), QStringLiteral("--port=%1").arg(m_port),
                "--configfile=/dev/null", "--authentication-file=" + credentials,
                "--command=setmode \"" + QString(relative).replace(u'/', u'\\') + "\" +r"}) == 0;
}

std::unique_ptr<SambaServer> SambaTest::s_server;
QString SambaTest::s_firstPassword;

void SambaTest::SetUpTestSuite()
{
    if (!SambaServer::isInstalled())
        return;
    s_server = std::make_unique<SambaServer>();
    s_firstPassword = s_server->password();
    s_server->start();
}

void SambaTest::TearDownTestSuite()
{
    s_server.reset();
}

void SambaTest::SetUp()
{
    if (!SambaServer::isInstalled())
        GTEST_SKIP()
            << "Samba's smbd is not installed: the share tests need it (apt-get install samba)";
    ASSERT_TRUE(s_server && s_server->start()) << (s_server ? s_server->error().toStdString() : "");
    s_server->clearShares();
}

void SambaTest::TearDown()
{
    if (s_server && s_server->password() != s_firstPassword)
        s_server->changePassword(s_firstPassword);
    if (s_server)
        s_server->start();
}

} // namespace tarvo::test
