#pragma once

#include "config/Session.h"
#include "platform/MessageService.h"
#include "platform/ShareConnections.h"

namespace tarvo {

class ShareFailures;

// Connects the share of a Net session line under the session's name; shows
// "Failed to map to network share \\%s\%s" with the reason and the session
// when it cannot. 0 or -1.
int ConnectSessionShare(const Session& session, ShareConnections& connections,
                        MessageService& messages);

// Connects one session's share among several (a run, a refresh of the list):
// a failure is added to `failures`, to be told once per server and cause,
// and a session on a server that already failed for a reason of its own is
// not tried. 0, or the platform's code.
int ConnectSessionShare(const Session& session, ShareConnections& connections,
                        ShareFailures& failures);

// Why the session's share could not be connected, in words a user can act
// on: the second line of the message.
QString MapFailureReason(int error, const NetSession& session);

// 0 when the share is connected under the session's name (newly, or already
// and in use), else the platform's error code.
int MapShare(const NetSession& session, ShareConnections& connections);

// Cancels the session's connection: 0, or the platform's code, with
// DeviceInUse (2404) for a busy connection to this very share and OpenFiles
// (2401) for a busy connection that points elsewhere.
int DisconnectShare(const NetSession& session, ShareConnections& connections);

} // namespace tarvo
