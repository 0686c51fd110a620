#pragma once

#include "config/NetSession.h"
#include "core/filelist/FileListModel.h"

#include <functional>
#include <QDialog>
#include <QUrl>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvo {

class CFileListCtrl;
class CSendApp;
class FileListRefresher;
class PathBox;

// The main window, dialog 102 "Tarvo": the session box, the Path box, the
// file list of every default session and the command buttons.
//
// Data path: Settings (owned by CSendApp) -> snapshot -> FileListRefresher
// (worker thread, FileListBuilder) -> rows queued to the window's thread ->
// FileListModel -> CFileListCtrl. Send, Option and "..." are handlers that
// their own features plug in (Handlers); they reach the list, the Path box
// and the operations below through this class.
//
// An ordinary top-level window, not modal: start-up shows it and waits for it
// to finish (Exit, or the title bar's close). It keeps its size and place
// between runs in the state file that the application names.
class CSendDlg : public QDialog
{
    Q_OBJECT

public:
    struct Handlers
    {
        std::function<void(CSendDlg&)> send;     // OnSend
        std::function<void(CSendDlg&)> option;   // OnOption
        std::function<void(CSendDlg&)> browse;   // OnBrowse
        std::function<void(CSendDlg&)> preview;  // OnPreview
        std::function<void(CSendDlg&)> addShare; // OnAddShare, the first-start button
    };

    explicit CSendDlg(CSendApp& app, Handlers handlers = {}, QWidget* parent = nullptr);
    ~CSendDlg() override;

    CSendApp& app() { return m_app; }
    CFileListCtrl& fileList() { return *m_fileList; }
    QLineEdit& pathBox();

    void FillSessionCombo(const QString& name);
    void SetSendLabel(TransferDirection direction);
    // Starts a refresh of the list and returns at once.
    void StartRefresh();
    QString SessionText() const;
    void UpdateForFirstSession();
    // With no share session yet, the list's place explains where to begin
    // and offers "Add a share..."; otherwise it shows the list.
    void ShowFirstStartIfEmpty();
    // The Path box shows the folder of the session in the session box.
    void ShowSessionFolder();
    // Makes folder the folder of the session name, as the "..." pick and
    // Enter in the Path box do: a folder that the session cannot list is
    // refused with a message; a new one is stored into the session's line
    // (in memory, until the configuration is next saved) and refreshes the
    // list. Either way the Path box then shows the session's folder.
    void ApplySessionFolder(const QString& name, const QString& folder);

    void OnRefresh();
    void OnSelectAll();
    void OnInvert();
    void OnSelChangeSession();
    void OnSend();
    void OnPreview();
    void OnOption();
    void OnBrowse();
    void OnExit();
    // Opens the user's guide (F1).
    void OnHelp();

    // Closing stops a running refresh first.
    void done(int result) override;

signals:
    // A refresh has put all its rows into the list.
    void refreshFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    void layOutControls();
    void placeWindow();
    void addShortcuts();
    void addToolTips();
    // The status line: the rows, and the count and size of the selected ones.
    void showStatus();
    // The menu of the rows: what the buttons do, and for the row under the
    // pointer its folder and its path.
    void showRowMenu(const QPoint& where);
    QUrl FolderUrl(const QString& folder) const;
    // narrow: no wider than the text needs; otherText: a second label it keeps room for.
    QPushButton* addButton(const QString& text, const char* objectName, bool narrow = false,
                           const QString& otherText = QString());

    CSendApp& m_app;
    FileListModel m_listModel; // the list's rows, which the refresher fills
    Handlers m_handlers;
    QLabel* m_sessionLabel;
    QComboBox* m_sessionBox;
    QPushButton* m_selectAllButton;
    QPushButton* m_invertButton;
    QLabel* m_pathLabel;
    PathBox* m_pathBox;
    QPushButton* m_browseButton;
    CFileListCtrl* m_fileList;
    QPushButton* m_sendButton;
    QPushButton* m_previewButton;
    QPushButton* m_optionButton;
    QPushButton* m_refreshButton;
    QPushButton* m_exitButton;
    QLabel* m_status;
    QWidget* m_firstStart;
    FileListRefresher* m_refresher;
};

} // namespace tarvo
