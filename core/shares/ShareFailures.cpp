#include "core/shares/ShareFailures.h"

#include "core/shares/ShareConnector.h"
#include "platform/ErrorCodes.h"
#include "platform/MessageService.h"

#include <numeric>

namespace tarvo {

bool IsServerWideFailure(int error)
{
    switch (error) {
    case PlatformError::BadNetPath:
    case PlatformError::SemTimeout:
    case PlatformError::NetworkBusy:
        return true;
    default:
        return false;
    }
}

bool ShareFailures::serverFailed(const NetSession& session, int* error) const
{
    const QString server = session.Server.toCaseFolded();
    for (const Group& group : m_groups) {
        if (group.server == server && IsServerWideFailure(group.error)) {
            if (error)
                *error = group.error;
            return true;
        }
    }
    return false;
}

void ShareFailures::add(const NetSession& session, int error)
{
    const QString server = session.Server.toCaseFolded();
    const QString reason = MapFailureReason(error, session);
    const QString share = session.shareText();
    auto group = std::find_if(m_groups.begin(), m_groups.end(), [&](const Group& g) {
        return g.server == server && g.reason == reason;
    });
    if (group == m_groups.end())
        group = m_groups.insert(m_groups.end(), Group{server, error, reason, {}, {}});
    if (!group->shares.contains(share, Qt::CaseInsensitive))
        group->shares.append(share);
    group->sessions.append(session.Name);
}

int ShareFailures::count() const
{
    return std::accumulate(m_groups.cbegin(), m_groups.cend(), 0,
                           [](int sum, const Group& group) { return sum + group.sessions.size(); });
}

QStringList ShareFailures::texts() const
{
    QStringList texts;
    for (const Group& group : m_groups) {
        const QString shares = group.shares.size() == 1
                                   ? QStringLiteral("share ") + group.shares.first()
                                   : QStringLiteral("shares ") + group.shares.join(u", ");
        const QString sessions = group.sessions.size() == 1
                                     ? QStringLiteral("Session: ") + group.sessions.first()
                                     : QStringLiteral("Sessions: ") + group.sessions.join(u", ");
        texts.append(QStringLiteral("Failed to map to network %1\r\n%2\r\n%3")
                         .arg(shares, group.reason, sessions));
    }
    return texts;
}

void ShareFailures::report(MessageService& messages) const
{
    for (const QString& text : texts())
        messages.showMessage(text, MessageIcon::Error, MessageButtons::Ok);
}

} // namespace tarvo
