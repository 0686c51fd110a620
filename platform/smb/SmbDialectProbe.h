#pragma once

#include <QString>

namespace tarvo {

// Whether the server at host and port (0: SMB's own, 445) answers only in
// SMB1, which the program does not use: it is offered SMB1 and SMB2 in one
// SMB1 negotiation, the way clients have always opened a connection, and an
// SMB1-only server picks SMB1 where any other answers in SMB2. False also
// when nothing answers within the timeout, or the server drops the
// connection without a word (one that takes no more connections).
//
// libsmbclient reports both a server that refuses every dialect it offers
// and one that takes no more connections as a dropped connection; this one
// look tells them apart without touching the library's protocol settings,
// which every thread of the process shares.
bool ServerSpeaksOnlySmb1(const QString& host, int port, int timeoutMilliseconds);

} // namespace tarvo
