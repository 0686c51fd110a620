#include "tests/support/SambaServer.h"

#include "tests/support/RunProgram.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvo::test {

namespace {

const QStringList SystemFolders = {"/usr/sbin", "/usr/bin", "/sbin", "/bin"};

QString tool(const QString& name)
{
    QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? QStandardPaths::findExecutable(name, SystemFolders) : found;
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return result;
}

// A killed daemon stays a zombie until init reaps it, which may take a
// second; a zombie holds no port and no file, so it counts as gone.
bool processRuns(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !status.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = status.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) != "Z";
}

// A port that the kernel calls free now, or 0.
int UnboundLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

} // namespace

int FreeLoopbackPort()
{
    // A lock on a file named after the port, held until the process ends,
    // reserves it among the test processes of this machine.
    const QString folder = QDir::tempPath() + QStringLiteral("/tarvo-test-ports");
    QDir().mkpath(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port = UnboundLoopbackPort();
        if (port == 0)
            return 0;
        const QByteArray lockFile = QFile::encodeName(folder + u'/' + QString::number(port));
        const int fd = ::open(lockFile.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return port; // no reservation possible: take the port as it is
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return port; // the descriptor stays open, and with it the lock
        ::close(fd);
    }
    return 0;
}

SambaServer::SambaServer()
    : m_shares{DefaultShare}
    , m_password(QStringLiteral("Pw-") + QUuid::createUuid().toString(QUuid::Id128).left(12))
{
    for (const char* sub : {"private", "lock", "state", "cache", "pid", "log", "ncalrpc"})
        QDir(m_folder.path()).mkpath(QString::fromLatin1(sub));
    QDir(m_folder.path()).mkpath(QStringLiteral("shares/") + DefaultShare);
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
    return m_folder.filePath(QStringLiteral("shares/") + share);
}

QString SambaServer::shareText(const QString& share) const
{
    return QStringLiteral("\\\\") + server() + u'\\' + share;
}

bool SambaServer::writeConfiguration()
{
    const QString root = m_folder.path();
    QString text = QStringLiteral("[global]\n"
                                  "smb ports = %1\n"
                                  "interfaces = 127.0.0.1\n"
                                  "bind interfaces only = yes\n"
                                  "disable netbios = yes\n"
                                  "private dir = %2/private\n"
                                  "lock directory = %2/lock\n"
                                  "state directory = %2/state\n"
                                  "cache directory = %2/cache\n"
                                  "pid directory = %2/pid\n"
                                  "ncalrpc dir = %2/ncalrpc\n"
                                  "log file = %2/log/smbd.log\n"
                                  "log level = 0\n"
                                  "load printers = no\n"
                                  "disable spoolss = yes\n"
                                  "printcap name = /dev/null\n"
                                  "server role = standalone server\n"
                                  "passdb backend = tdbsam:%2/private/passdb.tdb\n"
                                  "map to guest = never\n"
                                  "username map = %2/users.map\n")
                       .arg(m_port)
                       .arg(root);
    for (const QString& option : std::as_const(m_serverOptions))
        text += option + u'\n';
    for (const QString& share : std::as_const(m_shares)) {
        text += QStringLiteral("[%1]\npath = %2\nvalid users = root\nread only = no\n")
                    .arg(share, shareFolder(share));
        for (const QString& option : std::as_const(m_shareOptions))
            text += option + u'\n';
    }
    QFile map(root + QStringLiteral("/users.map"));
    QFile configuration(root + QStringLiteral("/smb.conf"));
    return map.open(QIODevice::WriteOnly) && map.write("root = tester\n") > 0 &&
           configuration.open(QIODevice::WriteOnly) && configuration.write(text.toUtf8()) > 0;
}

// The password goes to smbpasswd on its standard input, never on a command line.
bool SambaServer::setPassword(const QString& password)
{
    QStringList arguments{QStringLiteral("-c"), m_folder.filePath(QStringLiteral("smb.conf")),
                          QStringLiteral("-s")};
    if (!m_passwordSet)
        arguments << QStringLiteral("-a");
    arguments << QStringLiteral("root");
    const QByteArray line = password.toUtf8() + '\n';
    QByteArray errors;
    if (RunProgram(tool("smbpasswd"), arguments, line + line, &errors) != 0) {
        m_error = QStringLiteral("smbpasswd failed: ") + QString::fromLocal8Bit(errors);
        return false;
    }
    m_passwordSet = true;
    return true;
}

bool SambaServer::changePassword(const QString& password)
{
    if (!setPassword(password))
        return false;
    m_password = password;
    return true;
}

qint64 SambaServer::readPid() const
{
    const QStringList files = QDir(m_folder.filePath(QStringLiteral("pid")))
                                  .entryList({QStringLiteral("smbd*.pid")}, QDir::Files);
    for (const QString& name : files) {
        QFile file(m_folder.filePath(QStringLiteral("pid/") + name));
        if (file.open(QIODevice::ReadOnly))
            return file.readAll().trimmed().toLongLong();
    }
    return 0;
}

bool SambaServer::waitForPort(bool open) const
{
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if ((connectTo(m_port) == 0) == open)
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
        m_error = QStringLiteral("smbd is not installed");
        return false;
    }
    if (m_port == 0)
        m_port = FreeLoopbackPort();
    if (!writeConfiguration() || (!m_passwordSet && !setPassword(m_password)))
        return false;
    // As a daemon smbd leads a process group of its own, which holds the
    // children that serve connections: stop() ends them all.
    const int exitCode =
        RunProgram(tool("smbd"),
                   {QStringLiteral("--configfile=") + m_folder.filePath(QStringLiteral("smb.conf")),
                    QStringLiteral("-D")});
    if (exitCode != 0 || !waitForPort(true)) {
        m_error = QStringLiteral("smbd did not start on port %1 (exit code %2)")
                      .arg(m_port)
                      .arg(exitCode);
        return false;
    }
    m_pid = readPid();
    if (m_pid <= 0) {
        m_error = QStringLiteral("smbd wrote no pid file");
        return false;
    }
    return true;
}

void SambaServer::stop()
{
    if (m_pid <= 0)
        return;
    if (::kill(-pid_t(m_pid), SIGKILL) != 0)
        ::kill(pid_t(m_pid), SIGKILL);
    QDeadlineTimer deadline(10000);
    while (processRuns(m_pid) && !deadline.hasExpired())
        QThread::msleep(10);
    for (const QString& name :
         QDir(m_folder.filePath(QStringLiteral("pid"))).entryList(QDir::Files))
        QFile::remove(m_folder.filePath(QStringLiteral("pid/") + name));
    m_pid = 0;
    waitForPort(false);
}

void SambaServer::clearShares()
{
    for (const QString& share : std::as_const(m_shares)) {
        QDir folder(shareFolder(share));
        folder.removeRecursively();
        folder.mkpath(QStringLiteral("."));
    }
}

bool SambaServer::configure(const QStringList& serverOptions, const QStringList& shareOptions)
{
    if (serverOptions == m_serverOptions && shareOptions == m_shareOptions)
        return isRunning() || writeConfiguration();
    m_serverOptions = serverOptions;
    m_shareOptions = shareOptions;
    const bool running = isRunning();
    stop();
    return running ? start() : writeConfiguration();
}

bool SambaServer::addShare(const QString& name)
{
    if (m_shares.contains(name))
        return true;
    QDir(m_folder.path()).mkpath(QStringLiteral("shares/") + name);
    m_shares.append(name);
    const bool running = isRunning();
    stop();
    return running ? start() : writeConfiguration();
}

bool SambaServer::removeShare(const QString& name)
{
    m_shares.removeAll(name);
    const bool running = isRunning();
    stop();
    return running ? start() : writeConfiguration();
}

bool SambaServer::setReadOnly(const QString& relative)
{
    QTemporaryDir folder;
    QFile credentials(folder.filePath(QStringLiteral("credentials")));
    if (!credentials.open(QIODevice::WriteOnly))
        return false;
    credentials.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    credentials.write(
        QStringLiteral("username = %1\npassword = %2\n").arg(UserName, m_password).toUtf8());
    credentials.close();
    const QString command =
        QStringLiteral("setmode \"%1\" +r").arg(QString(relative).replace(u'/', u'\\'));
    return RunProgram(tool("smbclient"),
                      {QStringLiteral("//127.0.0.1/") + DefaultShare,
                       QStringLiteral("--port=%1").arg(m_port),
                       QStringLiteral("--configfile=/dev/null"),
                       QStringLiteral("--authentication-file=") + credentials.fileName(),
                       QStringLiteral("--command=") + command}) == 0;
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
    if (!s_server)
        return;
    if (s_server->password() != s_firstPassword)
        s_server->changePassword(s_firstPassword);
    s_server->start();
}

} // namespace tarvo::test
