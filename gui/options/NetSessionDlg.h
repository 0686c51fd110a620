#pragma once

#include "core/forms/SessionForm.h"
#include "gui/browse/BrowseDlg.h"

#include <memory>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarvo {

class MessageService;
class SessionTable;
class ShareProber;

// "Map Network Drive": edits the ten texts of one network-share session. The
// session box offers every Net session of the table; choosing one fills all
// other fields from it. It connects only when asked: "..." beside a folder
// browses the device or the share typed, and Test logs on with what is typed
// and lists the PC folder, on a worker thread, telling below the fields what
// it found.
class CNetSessionDlg : public QDialog
{
    Q_OBJECT

public:
    // values: SessionFormForAdd() for Add, SessionFormFrom(session) for Edit;
    // their session name is the edited session's, empty for a new one.
    // services.settings gives the session table and the browser's settings.
    CNetSessionDlg(const SessionForm& values, CBrowseDlg::Services services,
                   QWidget* parent = nullptr);
    // A test still running is abandoned; its thread is waited for while the
    // window's events are served.
    ~CNetSessionDlg() override;

    // The texts as the controls hold them; a drop-down box gives its edit field.
    SessionForm values() const;
    QString SessionLine() const { return EncodeSessionLine(values()); }

    QWidget* control(SessionField field) const;

    void OnSelChangeSession();
    void OnSelChangePost();

    // "..." beside Local Folder: the device's folders. "..." beside PC
    // Folder: the folders of the share typed, logged on with the user name
    // and password typed. A folder chosen with OK fills the field.
    void OnBrowseLocalFolder();
    void OnBrowsePcFolder();
    // Test: off until the test has told what it found.
    void OnTest();
    QPushButton& testButton() const { return *m_test; }
    // What the last test found; empty before the first one ends.
    QString testResult() const;
    bool isTesting() const;

    // Refuses values that would not read back, naming the field, an empty
    // session name, a new name that differs from another session's only in
    // letter case, and a share that names no share. An accepted share takes
    // the form the session line keeps.
    void accept() override;
    // Closing abandons a test under way.
    void done(int result) override;

private:
    void OnInitDialog(const SessionForm& values);
    void setValues(const SessionForm& values);
    void layOut();
    void describeFields();
    // The share typed, when it names one; otherwise says why and focuses it.
    bool checkShare();
    // The browser over a session of its own made of the fields; the path
    // chosen with OK, or nothing.
    std::optional<QString> browse(const QString& direction);
    void OnTestEnded(const QString& found);

    CBrowseDlg::Services m_services;
    const SessionTable& m_sessions;
    MessageService& m_messages;
    const QString m_editedName;
    QComboBox* m_sessionBox;
    QLineEdit* m_share;
    QLineEdit* m_domain;
    QLineEdit* m_userName;
    QLineEdit* m_password;
    QLineEdit* m_localFolder;
    QLineEdit* m_pcFolder;
    QComboBox* m_postBox;
    QLineEdit* m_postFolder;
    QComboBox* m_opBox;
    QPushButton* m_browseLocal;
    QPushButton* m_browsePc;
    QPushButton* m_test;
    QLabel* m_testResult;
    std::unique_ptr<ShareProber> m_prober;
};

} // namespace tarvo
