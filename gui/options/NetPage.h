#pragma once

#include <QWidget>

class QPushButton;

namespace tarvo {

class CCheckListCtrl;
class ImageList;
class MessageService;
struct NetSession;
struct SessionForm;
struct Settings;

// Page "Net" of the Options sheet: the network-share sessions of the session
// table, with Add, Edit, Remove and Set Default. It works on the settings
// themselves: every change is in memory at once and is written by the next
// OK of the sheet. A row's tick marks it for Remove and Set Default only; the
// icon shows whether the session is a default one.
class CNetPage : public QWidget
{
    Q_OBJECT

public:
    // sessionIcons: cells 12 (ordinary) and 13 (default); checkBoxIcons: the
    // unticked and the ticked box. Neither is owned.
    CNetPage(Settings& settings, MessageService& messages, const ImageList& sessionIcons,
             const ImageList& checkBoxIcons, QWidget* parent = nullptr);

    CCheckListCtrl& list() { return *m_list; }

    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnSetDefault();

    // Puts a session into the list: updates the row of that name (its Share
    // stays) or inserts a row in name order with its Share text.
    void PutSession(const NetSession& session, bool isDefault, int state);

    // After a dialog: a new session gets a row; a known one a new Share text.
    void ShowSession(const QString& name, const QString& line);

    // The row showing exactly this session name, or -1.
    int FindRow(const QString& name) const;

    // The names of the selected rows, in row order.
    QStringList SelectedNames() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    // Runs one dialog; on OK stores its session and shows it.
    void runSessionDialog(const SessionForm& values);
    // Takes a session from under its old spelling, for the caller to store it
    // under the new one: its row, tick and place among the defaults go along.
    void renameSession(const QString& from, const QString& to);
    int insertSorted(const QStringList& texts, int image);
    QString rowName(int row) const;

    Settings& m_settings;
    MessageService& m_messages;
    const ImageList& m_sessionIcons;
    const ImageList& m_checkBoxIcons;
    CCheckListCtrl* m_list;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_edit;
    QPushButton* m_setDefault;
    bool m_filled = false;
};

} // namespace tarvo
