#pragma once

#include "core/filelist/FileListModel.h"

#include <functional>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvo {

class CFileListCtrl;
class CSendApp;
class FileListRefresher;

// The main window, dialog 102 "Tarvo": the session box, the Path box, the
// file list of every default session and the command buttons.
//
// Data path: Settings (owned by CSendApp) -> snapshot -> FileListRefresher
// (worker thread, FileListBuilder) -> rows queued to the window's thread ->
// FileListModel -> CFileListCtrl. Send, Option and "..." are handlers that
// their own features plug in (Handlers); they reach the list, the Path box
// and the operations below through this class.
class CSendDlg : public QDialog
{
    Q_OBJECT

public:
    struct Handlers
    {
        std::function<void(CSendDlg&)> send;   // OnSend
        std::function<void(CSendDlg&)> option; // OnOption
        std::function<void(CSendDlg&)> browse; // OnBrowse
    };

    explicit CSendDlg(CSendApp& app, Handlers handlers = {}, QWidget* parent = nullptr);
    ~CSendDlg() override;

    CSendApp& app() { return m_app; }
    CFileListCtrl& fileList() { return *m_fileList; }
    QLineEdit& pathBox() { return *m_pathBox; }

    void FillSessionCombo(const QString& name);
    void SetSendLabel(int direction);
    // Starts a refresh of the list and returns at once.
    void StartRefresh();
    QString SessionText() const;
    void UpdateForFirstSession();

    void OnRefresh();
    void OnSelectAll();
    void OnInvert();
    void OnSelChangeSession();
    void OnSend();
    void OnOption();
    void OnBrowse();

    // Closing stops a running refresh first.
    void done(int result) override;

signals:
    // A refresh has put all its rows into the list.
    void refreshFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitDialog();
    void placeControls();
    QPushButton* addButton(const QString& text, const char* objectName);

    CSendApp& m_app;
    FileListModel m_listModel; // the list's rows, which the refresher fills
    Handlers m_handlers;
    QLabel* m_sessionLabel;
    QComboBox* m_sessionBox;
    QPushButton* m_selectAllButton;
    QPushButton* m_invertButton;
    QLabel* m_pathLabel;
    QLineEdit* m_pathBox;
    QPushButton* m_browseButton;
    CFileListCtrl* m_fileList;
    QPushButton* m_sendButton;
    QPushButton* m_optionButton;
    QPushButton* m_refreshButton;
    QPushButton* m_exitButton;
    FileListRefresher* m_refresher;
};

} // namespace tarvo
