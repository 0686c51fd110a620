#include "gui/options/OptionHandler.h"

#include "config/KeyringPasswords.h"
#include "core/forms/SessionEdits.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/options/Options.h"
#include "platform/PlatformServices.h"

namespace tarvo {

OptionsContext OptionsContextFor(CSendApp& app)
{
    return {app.settings(),
            app.messages(),
            app.sessionIcons(),
            app.platform().files(),
            app.platform().connections(),
            app.appIcon(),
            CSendApp::productName() + u' ' + CSendApp::version(),
            {app.configFilePath(), app.stateFolder(), ProgramLicence(), app.readmePath()}};
}

void OnOption(CSendDlg& window)
{
    CSendApp& app = window.app();
    COptions sheet(QStringLiteral("Options"), OptionsContextFor(app), &window);
    if (sheet.exec() == QDialog::Accepted) {
        CopyIntoSettings(sheet.generalValues(), sheet.filterValues(), app.settings());
        app.settings().Keyring = sheet.keepPasswordsInKeyring();
        // A file that cannot be written has been reported; memory keeps the values.
        SaveSettingsAndPasswords(app.settings(), app.configFilePath(), app.passwords(),
                                 app.messages());
        window.UpdateForFirstSession();
        window.StartRefresh();
        window.update();
    }
    window.fileList().setFocus();
}

void OnAddShare(CSendDlg& window)
{
    CSendApp& app = window.app();
    Settings& settings = app.settings();
    CNetSessionDlg dialog(SessionFormForAdd(),
                          CBrowseDlg::Services{settings, app.platform().files(),
                                               app.platform().connections(), app.messages(),
                                               app.sessionIcons()},
                          &window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StoredSession stored = StoreSession(settings, QString(), dialog.values());
    // Defaults that name no share (the empty one of a new file) would be
    // listed before it, as sessions without files.
    QStringList defaults;
    for (const QString& name : stored.settings.DefaultSession) {
        const Session* session = stored.settings.Sessions.find(name);
        if (session && session->netFields && !defaults.contains(name))
            defaults.append(name);
    }
    if (!defaults.contains(stored.name))
        defaults.append(stored.name);
    settings = SetDefaultSessions(stored.settings, defaults);
    // A file that cannot be written has been reported; memory keeps the session.
    SaveSettingsAndPasswords(settings, app.configFilePath(), app.passwords(), app.messages());
    window.UpdateForFirstSession();
    window.StartRefresh();
}

} // namespace tarvo
