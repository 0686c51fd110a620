#include "gui/options/OptionHandler.h"

#include "config/ConfigStore.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "gui/options/Options.h"

namespace tarvo {

OptionsContext OptionsContextFor(CSendApp& app)
{
    return {app.settings(),
            app.messages(),
            app.sessionIcons(),
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
        // A file that cannot be written has been reported; memory keeps the values.
        SaveSettings(app.settings(), app.configFilePath(), app.messages());
        window.UpdateForFirstSession();
        window.StartRefresh();
        window.update();
    }
    window.fileList().setFocus();
}

} // namespace tarvo
