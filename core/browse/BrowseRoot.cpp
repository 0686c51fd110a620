#include "core/browse/BrowseRoot.h"

#include "config/PathHelpers.h"
#include "config/Session.h"
#include "core/shares/ShareConnector.h"

#include <QList>

namespace tarvo {

// The messages of a connection attempt, kept on the worker's thread for the
// window's thread to show. The attempt only ever tells; it asks nothing.
class HeldMessages : public MessageService
{
public:
    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override
    {
        m_held.append({text, icon, buttons});
        return MessageResult::Ok;
    }
    ReplaceReply confirmReplace(const ReplaceFile&, const ReplaceFile&) override { return {}; }

    void showWith(MessageService& messages) const
    {
        for (const Held& held : m_held)
            messages.showMessage(held.text, held.icon, held.buttons);
    }

private:
    struct Held
    {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    QList<Held> m_held;
};

BrowseRoot BrowseRootOf(const Session& session)
{
    if (session.direction != TransferDirection::Get || !session.isNet())
        return {QString::fromUtf16(DeviceRootText), false};
    return {session.net.shareText(), true};
}

QString FolderItemPath(const QStringList& textsFromRoot)
{
    if (textsFromRoot.isEmpty())
        return QString();
    QString path = textsFromRoot.first();
    for (qsizetype i = 1; i < textsFromRoot.size(); ++i)
        path = AddTrailingSeparator(path) + textsFromRoot.at(i);
    const QString device = QString::fromUtf16(DeviceRootText);
    if (textsFromRoot.first() != device)
        return path;
    // The device root stands for "\"; below it, its text gives way to the separator.
    return textsFromRoot.size() == 1 ? QStringLiteral("\\") : path.mid(device.size());
}

RootConnector::RootConnector(ShareConnections& connections, MessageService& messages,
                             QObject* parent)
    : QObject(parent)
    , m_connections(connections)
    , m_messages(messages)
{}

RootConnector::~RootConnector()
{
    abandon();
    // Taken out first: the attempt's end, posted while this waits, then finds
    // nothing to collect.
    if (const std::unique_ptr<Attempt> attempt = std::move(m_worker))
        attempt->end.waitServingEvents();
}

void RootConnector::start(const Session& session)
{
    if (m_worker)
        return; // one attempt for each connector
    // The connector outlives the attempt (its destructor waits), and calls
    // posted to it are dropped once it is gone, so the job may name it.
    m_worker = std::make_unique<Attempt>();
    m_worker->thread = std::jthread([this, session, &connections = m_connections,
                                     &end = m_worker->end] {
        // A connection cannot be interrupted: an abandoned one runs to its end.
        auto held = std::make_shared<HeldMessages>();
        bool connected = false;
        try {
            connected = ConnectSessionShare(session, connections, *held) == 0;
        } catch (const std::exception& error) {
            held->showMessage(QStringLiteral("Failed to map to network share of session %1\r\n%2")
                                  .arg(session.name, QString::fromLocal8Bit(error.what())),
                              MessageIcon::Error, MessageButtons::Ok);
        }
        m_posted.post([this, connected, held] { ended(connected, *held); });
        end.reach();
    });
}

void RootConnector::abandon()
{
    m_abandoned = true;
}

void RootConnector::ended(bool connected, const HeldMessages& messages)
{
    if (!m_worker)
        return;       // the destructor is collecting the thread
    m_worker.reset(); // its job has posted this as its last step
    if (m_abandoned)
        return;
    messages.showWith(m_messages);
    emit finished(connected);
}

} // namespace tarvo
