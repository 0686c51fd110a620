#include "gui/main/SendApp.h"

#include "config/ConfigCheck.h"
#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "core/shares/ShareConnector.h"
#include "core/transfer/TransferJob.h"
#include "platform/PlatformServices.h"

#include <cstdio>
#include <cstdlib>
#include <QEventLoop>

namespace tarvo {

CSendApp::CSendApp(QString configFilePath, QString deviceRoot)
    : m_configFilePath(std::move(configFilePath))
    , m_deviceRoot(std::move(deviceRoot))
    , m_systemSmallIcons(m_fileTypes, 16)
    , m_systemLargeIcons(m_fileTypes, 32)
{}

CSendApp::~CSendApp() = default;

int CSendApp::InitInstance()
{
    if (!InitSockets() || !LoadConfiguration())
        return 1;
    CreateImageLists();
    {
        // Shown as an ordinary window, not a modal one, which window managers
        // may leave out of their task lists.
        CSendDlg window(*this, m_handlers);
        m_messages.setParentWindow(&window);
        QEventLoop loop;
        QObject::connect(&window, &QDialog::finished, &loop, &QEventLoop::quit);
        window.show();
        loop.exec();
    }
    if (TransferJob::running() > 0) {
        // A stopped run still waits for a server that no longer answers: the
        // program ends without it (and without releasing the shares, which
        // would wait for that server too). The part file it was writing is
        // removed by the next run into that folder.
        std::fflush(nullptr);
        std::_Exit(0);
    }
    ReleaseDefaultShares();
    return 0;
}

bool CSendApp::InitSockets()
{
    m_platform = PlatformServices::create(m_deviceRoot);
    if (m_platform)
        return true;
    m_messages.showMessage(socketsFailedText(), MessageIcon::Error, MessageButtons::Ok);
    return false;
}

bool CSendApp::LoadConfiguration()
{
    if (!LoadSettings(m_settings, m_configFilePath, m_messages))
        return false;
    const QString keyringNote = KeyringFillNote(m_passwords.fill(m_settings));
    if (!keyringNote.isEmpty())
        m_messages.showMessage(keyringNote, MessageIcon::Information, MessageButtons::Ok);
    const QStringList notes = CheckConfigurationFile(m_settings, m_configFilePath);
    if (!notes.isEmpty())
        m_messages.showMessage(ConfigurationNotesMessage(m_configFilePath, notes),
                               MessageIcon::Information, MessageButtons::Ok);
    return true;
}

void CSendApp::CreateImageLists()
{
    m_sessionIcons =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap131.xpm"), 16, QColor(255, 0, 255));
}

void CSendApp::ReleaseDefaultShares()
{
    // The window is gone: cancel the connections made under the sessions' names.
    for (const QString& name : std::as_const(m_settings.DefaultSession)) {
        NetSession session;
        session.Name = name;
        DisconnectShare(session, m_platform->connections());
    }
}

FileListBuilder::Services CSendApp::refreshServices()
{
    return {m_platform->files(), m_platform->connections(), m_messages, m_fileTypes};
}

QIcon CSendApp::appIcon() const
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/icon128_16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/res/icon128_32.xpm"), QSize(32, 32));
    return icon;
}

} // namespace tarvo
