#include "core/shares/ShareProbe.h"

#include "core/shares/ShareConnector.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"
#include "platform/FileSystem.h"
#include "platform/ShareConnections.h"

namespace tarvo {

namespace {

QString counted(int count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// The PC folder as the sentence names it: "\" for the share's own folder.
QString shownFolder(const QString& pcFolder)
{
    return pcFolder.startsWith(u'\\') ? pcFolder : u'\\' + pcFolder;
}

} // namespace

QString ProbeShareFolder(const NetSession& session, ShareConnections& connections,
                         FileSystem& files)
{
    const QString share = session.shareText();
    NetSession probe = session;
    probe.Name = QString::fromUtf16(ProbeConnectionName);
    // A probe that ended without signing off may have left its connection.
    connections.cancelConnection(probe.Name, false, true);
    const int logon =
        connections.addConnection(probe.Name, share, session.UserName, session.Password, false);
    if (logon != PlatformError::Success)
        return QStringLiteral("Could not log on to %1: %2")
            .arg(share, MapFailureReason(logon, session));

    const QString folder = shownFolder(session.PcFolder);
    int fileCount = 0;
    int folderCount = 0;
    const int listed = files.listFolder(
        share + (folder == QStringLiteral("\\") ? QString() : folder), [&](const DirEntry& entry) {
            ++(entry.Info.isDirectory() ? folderCount : fileCount);
            return true;
        });
    connections.cancelConnection(probe.Name, false, true);
    if (listed != PlatformError::Success)
        return QStringLiteral("Logged on to %1, but %2 cannot be listed: %3")
            .arg(share, folder, ErrorReason(listed));
    return QStringLiteral("Logged on to %1; %2 holds %3 and %4.")
        .arg(share, folder, counted(fileCount, "file", "files"),
             counted(folderCount, "folder", "folders"));
}

ShareProber::ShareProber(ShareConnections& connections, FileSystem& files, QObject* parent)
    : QObject(parent)
    , m_connections(connections)
    , m_files(files)
{}

ShareProber::~ShareProber()
{
    abandon();
    // Taken out first: the probe's end, posted while this waits, then finds
    // nothing to collect.
    if (const std::unique_ptr<Probe> probe = std::move(m_worker))
        probe->end.waitServingEvents();
}

void ShareProber::start(const NetSession& session)
{
    if (m_worker)
        return; // one probe at a time, abandoned ones too: they share the connection name
    m_abandoned = false;
    // The prober outlives the probe (its destructor waits), and calls posted
    // to it are dropped once it is gone, so the job may name it.
    m_worker = std::make_unique<Probe>();
    m_worker->thread = std::jthread([this, session, &end = m_worker->end] {
        QString found;
        try {
            found = ProbeShareFolder(session, m_connections, m_files);
        } catch (const std::exception& error) {
            found = QStringLiteral("Could not log on to %1: %2")
                        .arg(session.shareText(), QString::fromLocal8Bit(error.what()));
        }
        m_posted.post([this, found] { ended(found); });
        end.reach();
    });
}

void ShareProber::abandon()
{
    m_abandoned = true;
}

void ShareProber::ended(const QString& found)
{
    if (!m_worker)
        return;       // the destructor is collecting the thread
    m_worker.reset(); // its job has posted this as its last step
    if (m_abandoned)
        return;
    emit finished(found);
}

} // namespace tarvo
