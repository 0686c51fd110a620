#pragma once

#include "platform/MessageService.h"
#include "platform/PostedCalls.h"
#include "platform/ThreadEnd.h"

#include <memory>
#include <QObject>
#include <QString>
#include <QStringList>
#include <thread>

namespace tarvo {

class HeldMessages;
struct Session;
class ShareConnections;

// The root of the folder browser's tree: the device itself, shown as
// "Pocket PC", or the share of a Get session, shown as "\\server\share".
inline constexpr char16_t DeviceRootText[] = u"Pocket PC";

struct BrowseRoot
{
    QString text;
    // A Get session of kind Net: its share is connected before it is read.
    bool connectFirst = false;
};

// The root for the session; any session but a Get session of
// kind Net gives the device.
BrowseRoot BrowseRootOf(const Session& session);

// The full path of a tree item, given the texts from the root down to it:
// "\" for the device root and "\" + folders below it; on a share, the share's
// path followed by the folders.
QString FolderItemPath(const QStringList& textsFromRoot);

// Connects the share of the browser's root on a worker thread, so that a
// server that does not answer never holds up the window. A failure is shown
// on the window's thread, with the connection's own message, once it is
// known. An attempt that is abandoned (the browser closed meanwhile) shows
// nothing and reports nothing; its thread finishes on its own.
class RootConnector : public QObject
{
    Q_OBJECT

public:
    RootConnector(ShareConnections& connections, MessageService& messages,
                  QObject* parent = nullptr);
    // Abandons an attempt under way and waits for its thread, serving the
    // events of this thread meanwhile.
    ~RootConnector() override;

    // Connects the session's share under its name; finished() follows.
    void start(const Session& session);
    // Drops what the attempt under way would report.
    void abandon();
    // True from start() until finished() or abandon().
    bool isConnecting() const { return m_worker && !m_abandoned; }

signals:
    // The connection has been tried, and a failure shown.
    void finished(bool connected);

private:
    void ended(bool connected, const HeldMessages& messages);

    ShareConnections& m_connections;
    MessageService& m_messages;
    bool m_abandoned = false;
    struct Attempt
    {
        ThreadEnd end;
        std::jthread thread;
    };
    std::unique_ptr<Attempt> m_worker;
    PostedCalls m_posted{this}; // the attempt's end; outlives the worker
};

} // namespace tarvo
