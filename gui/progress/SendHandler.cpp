#include "gui/progress/SendHandler.h"

#include "core/transfer/SendRequest.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/progress/ProgressDlg.h"
#include "gui/progress/ReplaceDlg.h"
#include "platform/PlatformServices.h"

namespace tarvo {

void OnSend(CSendDlg& window)
{
    CSendApp& app = window.app();
    CFileListCtrl& list = window.fileList();

    FileRows selected;
    for (int row : list.selectedRows())
        selected.append(list.model().row(row));
    const TransferList entries = BuildTransferList(selected);

    if (CheckDefaultSession(app.settings(), app.messages()) &&
        CheckSelection(entries, app.messages())) {
        FileSystem& files = app.platform().files();
        const SystemImageList& icons = app.systemLargeIcons();
        FileTypeIcons& types = app.fileTypes();
        const FileIconLookup lookup = [&icons, &types](const QString& path) {
            return icons.icon(types.FileIconIndex(path));
        };
        app.messages().setReplaceDialog(
            [lookup](const ReplaceFile& existing, const ReplaceFile& incoming) {
                return AskReplace(existing, incoming, lookup);
            });

        // The run reads a copy; the live table gains a line for every unknown
        // default session first, as the run's lookups would have added it.
        TransferParams params{
            FileListBuilder::TakeSnapshot(app.settings()), entries, {}, TransferSizes(selected)};
        CProgressDlg progress(std::move(params), files, app.platform().connections(),
                              app.messages(), lookup);
        progress.showProgressInTitleOf(&window);
        progress.setNotifier(&app.notifier());
        // The failures that the user chose not to see as boxes go to the dialog.
        app.messages().beginRun([&progress](const QString& text) { progress.listFailure(text); });
        const int result = progress.exec();
        app.messages().endRun();
        if (result == QDialog::Accepted)
            window.StartRefresh();
        window.update();
    }
    list.setFocus();
}

} // namespace tarvo
