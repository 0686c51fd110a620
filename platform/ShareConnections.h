#pragma once

#include <QString>

namespace tarvo {

// Named connections to SMB shares, one table for the whole process: the local
// name is a session's name, the remote name a share path "\\server\share". A
// server may be written host:port. Safe to use from several threads at once.
class ShareConnections
{
public:
    virtual ~ShareConnections() = default;

    // How long a server may take to answer before an operation fails, and
    // how long an operation waits for a logged-on context on a server that
    // takes no more connections.
    static constexpr int TimeoutMilliseconds = 5000;

    // Logs on to the share once, so a wrong password, an unknown share or an
    // unreachable server fail here. Returns 0 or a PlatformError code.
    virtual int addConnection(const QString& localName, const QString& remoteName,
                              const QString& userName, const QString& password, bool remember) = 0;

    // 0 with the remote name filled in; ConnectionUnavailable for a name that exists
    // but whose connection is unavailable; NotConnected for an unknown name.
    virtual int getConnection(const QString& localName, QString& remoteName) = 0;

    // Cancels by local name or by remote name. Without force: OpenFiles while
    // files are open on it, DeviceInUse while it is in use otherwise.
    virtual int cancelConnection(const QString& name, bool remember, bool force) = 0;
};

} // namespace tarvo
