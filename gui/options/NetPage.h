#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace tarvo {

class CCheckListCtrl;
class FileSystem;
class ImageList;
class MessageService;
struct NetSession;
struct Session;
struct SessionForm;
struct Settings;
class ShareConnections;

// Page "Net" of the Options sheet: the network-share sessions of the session
// table, with Add, Edit, Remove and Set Default. It works on the settings
// themselves: every change is in memory at once and is written by the next
// OK of the sheet. A row's tick marks it for Remove and Set Default only; the
// icon shows whether the session is a default one. Beside its name and share,
// a row shows what tells sessions on one share apart: the direction, both
// folders and the post-operation.
class CNetPage : public QWidget
{
    Q_OBJECT

public:
    // sessionIcons: cells 12 (ordinary) and 13 (default); not owned. The
    // files and connections serve the session dialog's browser and Test.
    CNetPage(Settings& settings, MessageService& messages, const ImageList& sessionIcons,
             FileSystem& files, ShareConnections& connections, QWidget* parent = nullptr);

    CCheckListCtrl& list() { return *m_list; }

    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnSetDefault();

    // After a dialog: a new session gets an unticked row in name order; a
    // shown one new texts, keeping its icon and its tick.
    void ShowSession(const Session& session);

    // The row showing exactly this session name, or -1.
    int FindRow(const QString& name) const;

    // The names of the selected rows, in row order.
    QStringList SelectedNames() const;

    // The box "Keep passwords in the desktop keyring", ticked as the settings
    // are; unlike the sessions, it changes the settings only after OK.
    bool keepPasswordsInKeyring() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    // Runs one dialog; on OK stores its session and shows it.
    void runSessionDialog(const SessionForm& values);
    // The names of the ticked rows, from the first row down or the last up.
    QStringList tickedNames(bool lastFirst = false) const;
    int insertSorted(const NetSession& session, int image);
    static QStringList rowTexts(const NetSession& session);
    QString rowName(int row) const;

    Settings& m_settings;
    MessageService& m_messages;
    const ImageList& m_sessionIcons;
    FileSystem& m_files;
    ShareConnections& m_connections;
    CCheckListCtrl* m_list;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_edit;
    QPushButton* m_setDefault;
    QCheckBox* m_keyring;
    bool m_filled = false;
};

} // namespace tarvo
