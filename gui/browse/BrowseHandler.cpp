#include "gui/browse/BrowseHandler.h"

#include "gui/browse/BrowseDlg.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"

namespace tarvo {

void OnBrowse(CSendDlg& window)
{
    const QString name = window.SessionText();
    // Modal over the main window, so the window manager keeps it in front.
    CBrowseDlg dialog(window.app(), name, &window);
    if (dialog.exec() == QDialog::Accepted)
        window.ApplySessionFolder(name, dialog.resultPath());
    window.update();
    window.fileList().setFocus();
}

} // namespace tarvo
