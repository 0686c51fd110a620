#include "platform/smb/SmbDialectProbe.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <QByteArray>
#include <QDeadlineTimer>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo {

namespace {

// An SMB1 NEGOTIATE request offering the last SMB1 dialect and SMB2's, in a
// NetBIOS session message.
QByteArray NegotiateRequest()
{
    QByteArray dialects;
    for (const char* dialect : {"NT LM 0.12", "SMB 2.002", "SMB 2.???"})
        dialects += '\x02' + QByteArray(dialect) + '\0';
    QByteArray smb("\xFFSMB\x72", 5);         // protocol and command
    smb += QByteArray(4, '\0');               // status
    smb += '\x18';                            // flags: case-insensitive, canonical names
    smb += QByteArray("\x01\xC8", 2);         // flags2: long names, NT status, Unicode
    smb += QByteArray(12, '\0');              // process id high, signature, reserved
    smb += QByteArray("\xFF\xFF", 2);         // tree id
    smb += QByteArray("\xFE\xFF\0\0\0\0", 6); // process id, user id, multiplex id
    smb += '\0';                              // no parameter words
    smb += char(dialects.size() & 0xFF);
    smb += char(dialects.size() >> 8);
    smb += dialects;
    QByteArray message(1, '\0');
    message += char((smb.size() >> 16) & 0xFF);
    message += char((smb.size() >> 8) & 0xFF);
    message += char(smb.size() & 0xFF);
    return message + smb;
}

// Waits for the socket to become ready for `events` until the deadline.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    pollfd one{fd, events, 0};
    for (;;) {
        const int left = int(qMax<qint64>(0, deadline.remainingTime()));
        const int ready = ::poll(&one, 1, left);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

int connectTo(const QString& host, int port, const QDeadlineTimer& deadline)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray service = QByteArray::number(port ? port : 445);
    if (::getaddrinfo(host.toUtf8().constData(), service.constData(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (const addrinfo* at = found; at && fd < 0; at = at->ai_next) {
        fd = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                      at->ai_protocol);
        if (fd < 0)
            continue;
        int error = 0;
        socklen_t length = sizeof error;
        const bool connected =
            (::connect(fd, at->ai_addr, at->ai_addrlen) == 0 || errno == EINPROGRESS) &&
            waitFor(fd, POLLOUT, deadline) &&
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
        if (!connected) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    return fd;
}

} // namespace

bool ServerSpeaksOnlySmb1(const QString& host, int port, int timeoutMilliseconds)
{
    const QDeadlineTimer deadline(timeoutMilliseconds);
    const int fd = connectTo(host, port, deadline);
    if (fd < 0)
        return false;
    const QByteArray request = NegotiateRequest();
    // The session header and the protocol id of the answer.
    char answer[8];
    qsizetype got = 0;
    bool sent = ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) ==
                ssize_t(request.size());
    while (sent && got < qsizetype(sizeof answer) && waitFor(fd, POLLIN, deadline)) {
        const ssize_t read = ::recv(fd, answer + got, sizeof answer - size_t(got), 0);
        if (read <= 0)
            break;
        got += read;
    }
    ::close(fd);
    return got == qsizetype(sizeof answer) && answer[0] == '\0' &&
           QByteArray(answer + 4, 4) == QByteArray("\xFFSMB", 4);
}

} // namespace tarvo
