#pragma once

#include "config/NetSession.h"

#include <QList>
#include <QStringList>

namespace tarvo {

class MessageService;

// The shares that one run or one refresh of the list could not connect, told
// once per server and cause: sessions whose shares fail on the same server
// for the same reason share one box, which names them all. A server that
// failed for a reason of its own (it cannot be reached, does not answer,
// takes no more connections) is not asked again for its other sessions.
class ShareFailures
{
public:
    // True when an earlier session's server failed for a reason that holds
    // for every share on it; add() the session with that reason then.
    bool serverFailed(const NetSession& session, int* error = nullptr) const;
    void add(const NetSession& session, int error);

    bool isEmpty() const { return m_groups.isEmpty(); }
    // Every session added so far.
    int count() const;

    // One error box per server and cause, in the order they were first met:
    //   Failed to map to network share \\server\share
    //   <the reason>
    //   Session: NAME   (or "Sessions: A, B")
    void report(MessageService& messages) const;
    // The texts of those boxes.
    QStringList texts() const;

private:
    struct Group
    {
        QString server; // folded to one case
        int error = 0;
        QString reason;
        QStringList shares;
        QStringList sessions;
    };
    QList<Group> m_groups;
};

// Whether a logon that failed with this code failed for a reason of the
// server's, which holds for every share on it.
bool IsServerWideFailure(int error);

} // namespace tarvo
