#pragma once

#include "core/forms/SessionForm.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace tarvo {

class MessageService;
class SessionTable;

// "Map Network Drive": edits the ten texts of one network-share session. It
// only edits text; it never connects. The session box offers every Net
// session of the table; choosing one fills all other fields from it.
class CNetSessionDlg : public QDialog
{
    Q_OBJECT

public:
    // values: SessionFormForAdd() for Add, SessionFormFrom(session) for Edit;
    // their session name is the edited session's, empty for a new one.
    CNetSessionDlg(const SessionForm& values, const SessionTable& sessions,
                   MessageService& messages, QWidget* parent = nullptr);

    // The texts as the controls hold them; a drop-down box gives its edit field.
    SessionForm values() const;
    QString SessionLine() const { return EncodeSessionLine(values()); }

    QWidget* control(SessionField field) const;

    void OnSelChangeSession();
    void OnSelChangePost();

    // Refuses values that would not read back, naming the field, an empty
    // session name, and a new name that differs from another session's only
    // in letter case.
    void accept() override;

private:
    void OnInitDialog(const SessionForm& values);
    void setValues(const SessionForm& values);
    void layOut();

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
};

} // namespace tarvo
