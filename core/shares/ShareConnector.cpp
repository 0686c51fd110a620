#include "core/shares/ShareConnector.h"

#include "core/shares/ShareFailures.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"

namespace tarvo {

int ConnectSessionShare(const Session& session, ShareConnections& connections,
                        MessageService& messages)
{
    WaitCursor wait(messages);
    ShareFailures failures;
    const int result = ConnectSessionShare(session, connections, failures);
    failures.report(messages);
    return result == PlatformError::Success ? 0 : -1;
}

int ConnectSessionShare(const Session& session, ShareConnections& connections,
                        ShareFailures& failures)
{
    int result = PlatformError::Success;
    if (!failures.serverFailed(session.net, &result))
        result = MapShare(session.net, connections);
    if (result != PlatformError::Success)
        failures.add(session.net, result);
    return result;
}

QString MapFailureReason(int error, const NetSession& session)
{
    // "host:port", or the host alone on SMB's own port.
    QString host = session.Server;
    QString port = QStringLiteral("445");
    if (const qsizetype colon = host.lastIndexOf(u':'); colon > 0) {
        port = host.mid(colon + 1);
        host.truncate(colon);
    }
    switch (error) {
    case PlatformError::LogonFailure:
    case PlatformError::InvalidPassword:
        return QStringLiteral("Wrong user name or password.");
    case PlatformError::BadNetName:
        return session.Share.isEmpty()
                   ? QStringLiteral("The session names no share.")
                   : QStringLiteral("The server has no share named \"%1\".").arg(session.Share);
    case PlatformError::BadNetPath:
        return QStringLiteral("No server answers at %1, port %2.").arg(host, port);
    case PlatformError::SemTimeout:
        return QStringLiteral("The server at %1, port %2, did not answer within %3 seconds.")
            .arg(host, port)
            .arg(ShareConnections::TimeoutMilliseconds / 1000);
    case PlatformError::InvalidParameter:
        return session.Server.isEmpty() || session.Share.isEmpty()
                   ? QStringLiteral("The session names no server or no share.")
                   : QStringLiteral("The server name \"%1\" cannot be found.").arg(host);
    case PlatformError::OpenFiles:
        return QStringLiteral("The connection of this name is in use for another share.");
    case PlatformError::NetworkBusy:
        return QStringLiteral("The server at %1 takes no more connections.").arg(host);
    case PlatformError::ServerSmb1Only:
        return QStringLiteral("The server at %1 speaks only SMB1, an old version of the file "
                              "sharing protocol that Tarvo does not use. The server's "
                              "administrator can enable SMB2 or later.")
            .arg(host);
    default:
        return ErrorReason(error);
    }
}

int MapShare(const NetSession& session, ShareConnections& connections)
{
    // Drop what the name still holds; a busy connection to this share is kept.
    const int released = DisconnectShare(session, connections);
    if (released == PlatformError::DeviceInUse)
        return PlatformError::Success;
    if (released == PlatformError::OpenFiles)
        return PlatformError::OpenFiles;
    return connections.addConnection(session.Name, session.shareText(), session.UserName,
                                     session.Password, true);
}

int DisconnectShare(const NetSession& session, ShareConnections& connections)
{
    const QString expected = session.shareText();
    QString remote;
    if (connections.getConnection(session.Name, remote) == PlatformError::ConnectionUnavailable)
        return connections.cancelConnection(session.Name, true, false);
    const int result = connections.cancelConnection(remote, true, false);
    if (result == PlatformError::DeviceInUse || result == PlatformError::OpenFiles) {
        return remote.compare(expected, Qt::CaseInsensitive) == 0 ? PlatformError::DeviceInUse
                                                                  : PlatformError::OpenFiles;
    }
    return result;
}

} // namespace tarvo
