#pragma once

#include "config/KeyringPasswords.h"
#include "config/Settings.h"
#include "config/StartOptions.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/record/RunLog.h"
#include "gui/main/GuiMessageService.h"
#include "gui/main/ImageLists.h"
#include "gui/main/SendDlg.h"
#include "platform/DesktopNotifier.h"
#include "platform/PasswordKeyring.h"

#include <memory>
#include <QIcon>
#include <QString>

namespace tarvo {

class PlatformServices;

// The application object: for the whole run it owns the settings, the
// platform's services, the message service and the image lists that the
// dialogs share; dialogs get it by reference. InitInstance() is the start-up:
// the SMB library, the configuration file, the image lists, then the main
// window until it finishes, and the release of the default sessions' shares.
class CSendApp
{
public:
    // configFilePath: the file LoadSettings reads; deviceRoot: the local folder
    // that stands for the device. Needs a QApplication.
    CSendApp(QString configFilePath, QString deviceRoot);
    ~CSendApp();

    CSendApp(const CSendApp&) = delete;
    CSendApp& operator=(const CSendApp&) = delete;

    // Plugs Send, Option and "..." into the main window before InitInstance.
    void setDialogHandlers(CSendDlg::Handlers handlers) { m_handlers = std::move(handlers); }

    // The file that keeps the main window's size and place between runs;
    // none (the default) keeps nothing.
    void setWindowStatePath(QString path) { m_windowStatePath = std::move(path); }
    const QString& windowStatePath() const { return m_windowStatePath; }

    // The folder of the run record that every send appends to; none (the
    // default) keeps the record of a send only in its Progress dialog.
    void setRunLogFolder(const QString& folder)
    {
        m_runLog = folder.isEmpty() ? nullptr : std::make_unique<RunLog>(folder);
    }
    const RunLog* runLog() const { return m_runLog.get(); }

    // The state folder and the README that the About page names.
    void setAboutPaths(QString stateFolder, QString readmePath)
    {
        m_stateFolder = std::move(stateFolder);
        m_readmePath = std::move(readmePath);
    }
    const QString& stateFolder() const { return m_stateFolder; }
    const QString& readmePath() const { return m_readmePath; }

    // Runs the program; the exit status: 0 after the window closed, 1 when
    // start-up ended before it (no SMB library, or the defaults declined).
    int InitInstance();

    // The steps of start-up, for callers that run the window themselves.
    bool InitSockets();
    // Loads the file and the passwords that the keyring keeps for it, then
    // shows one message that lists the mistakes that the configuration check
    // finds in it, if any, and one when the keyring could not be read.
    bool LoadConfiguration();
    void CreateImageLists();
    void ReleaseDefaultShares();

    Settings& settings() { return m_settings; }
    const QString& configFilePath() const { return m_configFilePath; }
    PlatformServices& platform() { return *m_platform; }
    GuiMessageService& messages() { return m_messages; }
    FileTypeIcons& fileTypes() { return m_fileTypes; }
    // Where the end of a long send is told while the program is in the background.
    DesktopNotifier& notifier() { return *m_notifier; }
    // Where the passwords are kept while the settings ask for the keyring.
    // The desktop's by default; tests give a stand-in before InitInstance.
    void setKeyring(std::unique_ptr<PasswordKeyring> keyring)
    {
        m_keyring = std::move(keyring);
        m_passwords = KeyringPasswords(m_keyring.get());
    }
    KeyringPasswords& passwords() { return m_passwords; }
    FileListBuilder::Services refreshServices();

    const SystemImageList& systemSmallIcons() const { return m_systemSmallIcons; }
    const SystemImageList& systemLargeIcons() const { return m_systemLargeIcons; }
    ImageList& sessionIcons() { return m_sessionIcons; }
    QIcon appIcon() const;

    static QString productName() { return QStringLiteral("Tarvo"); }
    static QString version() { return ProgramVersion(); }
    static QString socketsFailedText()
    {
        return QStringLiteral("Windows CE sockets initialization failed.");
    }

private:
    QString m_configFilePath;
    QString m_deviceRoot;
    Settings m_settings;
    std::unique_ptr<PlatformServices> m_platform;
    GuiMessageService m_messages;
    std::unique_ptr<DesktopNotifier> m_notifier = DesktopNotifier::createForSession();
    std::unique_ptr<PasswordKeyring> m_keyring = PasswordKeyring::createForSession();
    KeyringPasswords m_passwords{m_keyring.get()};
    FileTypeIcons m_fileTypes;
    SystemImageList m_systemSmallIcons;
    SystemImageList m_systemLargeIcons;
    ImageList m_sessionIcons;
    CSendDlg::Handlers m_handlers;
    QString m_windowStatePath;
    std::unique_ptr<RunLog> m_runLog;
    QString m_stateFolder;
    QString m_readmePath;
};

} // namespace tarvo
