#include "gui/progress/SendHandler.h"

#include "core/transfer/SendRequest.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/progress/PreviewDlg.h"
#include "gui/progress/ProgressDlg.h"
#include "gui/progress/ReplaceDlg.h"
#include "platform/PlatformServices.h"

namespace tarvo {

namespace {

FileRows SelectedRows(CFileListCtrl& list)
{
    FileRows selected;
    for (int row : list.selectedRows())
        selected.append(list.model().row(row));
    return selected;
}

// The run reads a copy of the settings; the live table gains a line for
// every unknown default session first, as the run's lookups would have
// added it.
TransferParams ParamsFor(CSendApp& app, const FileRows& rows)
{
    return {FileListBuilder::TakeSnapshot(app.settings()),
            BuildTransferList(rows),
            {},
            TransferSizes(rows)};
}

// The sources that the run did not send, each with why.
QHash<QPair<QString, QString>, QString> NotSent(const QList<RunAction>& actions)
{
    QHash<QPair<QString, QString>, QString> failures;
    for (const RunAction& action : actions) {
        const bool copy =
            action.kind == RunAction::Kind::Copy || action.kind == RunAction::Kind::Replace;
        if (copy && action.result == RunAction::Result::Failed)
            failures.insert({action.session, action.source}, action.reason.simplified());
    }
    return failures;
}

void SendRows(CSendDlg& window, const FileRows& rows)
{
    CSendApp& app = window.app();
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

    CProgressDlg progress(ParamsFor(app, rows), files, app.platform().connections(), app.messages(),
                          lookup, nullptr, app.runLog());
    progress.showProgressInTitleOf(&window);
    progress.setNotifier(&app.notifier());
    // The failures that the user chose not to see as boxes go to the dialog.
    app.messages().beginRun([&progress](const QString& text) { progress.listFailure(text); });
    const int result = progress.exec();
    app.messages().endRun();
    window.fileList().model().markFailures(NotSent(progress.actions()));
    if (result == QDialog::Accepted)
        window.StartRefresh();
    window.update();
}

} // namespace

void OnSend(CSendDlg& window)
{
    CSendApp& app = window.app();
    const FileRows selected = SelectedRows(window.fileList());
    if (CheckDefaultSession(app.settings(), app.messages()) &&
        CheckSelection(BuildTransferList(selected), app.messages()))
        SendRows(window, selected);
    window.fileList().setFocus();
}

void OnPreview(CSendDlg& window)
{
    CSendApp& app = window.app();
    const FileRows selected = SelectedRows(window.fileList());
    if (CheckDefaultSession(app.settings(), app.messages()) &&
        CheckSelection(BuildTransferList(selected), app.messages())) {
        CPreviewDlg preview(ParamsFor(app, selected), app.platform().files(),
                            app.platform().connections(), &window);
        // Send sends what was previewed, whatever the list shows by then.
        if (preview.exec() == QDialog::Accepted)
            SendRows(window, selected);
    }
    window.fileList().setFocus();
}

} // namespace tarvo
