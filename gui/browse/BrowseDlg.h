#pragma once

#include <memory>
#include <QDialog>
#include <QString>

class QPushButton;
class QTreeView;

namespace tarvo {

class CSendApp;
class FileSystem;
class FolderTreeModel;
class ImageList;
class MessageService;
class RootConnector;
class ShareConnections;
struct Settings;

// Dialog 129 "Browse": the folder tree of the device ("Pocket PC"), or of the
// share of a Get session, for the session it is opened for. The share is
// connected on a worker thread while the dialog waits with OK off; folders
// are read when they are opened (FolderTreeModel); OK hands back the full
// path of the selected folder.
class CBrowseDlg : public QDialog
{
    Q_OBJECT

public:
    struct Services
    {
        Settings& settings; // TreeSpeed and the session's line
        FileSystem& files;
        ShareConnections& connections;
        MessageService& messages;
        const ImageList& sessionIcons; // cell 0 the device, 1 and 2 closed and open folders
    };

    CBrowseDlg(Services services, QString sessionName, QWidget* parent = nullptr);
    CBrowseDlg(CSendApp& app, QString sessionName, QWidget* parent = nullptr);
    // A connection still being tried is abandoned; its thread is waited for
    // while the window's events are served.
    ~CBrowseDlg() override;

    // The full path of the folder selected when OK was pressed; empty until then.
    const QString& resultPath() const { return m_resultPath; }
    const QString& sessionName() const { return m_sessionName; }

    QTreeView& tree() { return *m_tree; }
    FolderTreeModel& model() { return *m_model; }

    // True while the share of a Get session is being connected.
    bool isConnecting() const;

    // OK (1008, and Enter): takes the selected folder's path.
    void accept() override;
    // Closing abandons a connection still being tried.
    void done(int result) override;

private:
    void OnInitDialog(const Services& services);
    void OnItemRead(const QModelIndex& item, int count);
    void setConnecting(bool connecting);
    void openRoot();

    QString m_resultPath;
    QString m_sessionName;
    QTreeView* m_tree;
    FolderTreeModel* m_model;
    QPushButton* m_ok = nullptr;
    std::unique_ptr<RootConnector> m_connector;
};

} // namespace tarvo
