#include "ui/options/OptionHandler.h"

#include "config/ConfigStore.h"
#include "ui/FileListCtrl.h"
#include "ui/options/Options.h"
#include "ui/SendApp.h"
#include "ui/SendDlg.h"

namespace tarvo {

OptionsContext OptionsContextFor(CSendApp& app)
{
    return {app.settings(),     app.messages(),
            app.sessionIcons(), app.checkBoxIcons(),
            app.appIcon(),      CSendApp::productName() + u' ' + CSendApp::version()};
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
