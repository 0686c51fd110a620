#include "transfer/ShareConnector.h"

#include "platform/ErrorCodes.h"

namespace tarvo {

int ConnectSessionShare(const QString& name, const QString& line, ShareConnections& connections,
                        MessageService& messages)
{
    NetSession session;
    session.Name = name;
    ParseNetSession(line, session);
    WaitCursor wait(messages);
    const int result = MapShare(session, connections);
    if (result != PlatformError::Success) {
        messages.showMessage(QStringLiteral("Failed to map to network share \\\\%1\\%2")
                                 .arg(session.Server, session.Share),
                             MessageIcon::Error, MessageButtons::Ok);
    }
    return result == PlatformError::Success ? 0 : -1;
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
