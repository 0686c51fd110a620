#include "gui/options/NetSessionDlg.h"

#include "config/NetSession.h"
#include "config/SessionTable.h"
#include "gui/widgets/ComboText.h"
#include "platform/MessageService.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo {

namespace {

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    MakeEditableCombo(*box);
    return box;
}

} // namespace

CNetSessionDlg::CNetSessionDlg(const SessionForm& values, const SessionTable& sessions,
                               MessageService& messages, QWidget* parent)
    : QDialog(parent)
    , m_sessions(sessions)
    , m_messages(messages)
    , m_editedName(values.sessionName)
    , m_sessionBox(makeCombo(this, "sessionBox"))
    , m_share(makeEdit(this, "shareEdit"))
    , m_domain(makeEdit(this, "domainEdit"))
    , m_userName(makeEdit(this, "userNameEdit"))
    , m_password(makeEdit(this, "passwordEdit"))
    , m_localFolder(makeEdit(this, "localFolderEdit"))
    , m_pcFolder(makeEdit(this, "pcFolderEdit"))
    , m_postBox(makeCombo(this, "postBox"))
    , m_postFolder(makeEdit(this, "postFolderEdit"))
    , m_opBox(makeCombo(this, "opBox"))
{
    setWindowTitle(QStringLiteral("Map Network Drive"));
    m_password->setEchoMode(QLineEdit::Password);
    AddSortedItems(*m_postBox,
                   {QStringLiteral("Copy"), QStringLiteral("Del"), QStringLiteral("Move"),
                    QStringLiteral("Sync"), QStringLiteral("None")});
    AddSortedItems(*m_opBox,
                   {QStringLiteral("Put"), QStringLiteral("Get"), QStringLiteral("None")});
    layOut();

    // Only a choice from the list counts as a change of selection, not typing.
    connect(m_sessionBox, &QComboBox::activated, this, &CNetSessionDlg::OnSelChangeSession);
    connect(m_postBox, &QComboBox::activated, this, &CNetSessionDlg::OnSelChangePost);

    OnInitDialog(values);
}

void CNetSessionDlg::layOut()
{
    auto* grid = new QGridLayout;
    const auto addRow = [&](const QString& label, QWidget* field, QWidget* beside = nullptr) {
        const int row = grid->rowCount();
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1, 1, beside ? 1 : 2);
        if (beside)
            grid->addWidget(beside, row, 2);
    };
    addRow(QStringLiteral("Session:"), m_sessionBox);
    addRow(QStringLiteral("Share:"), m_share);
    addRow(QStringLiteral("Domain:"), m_domain);
    addRow(QStringLiteral("User Name:"), m_userName);
    addRow(QStringLiteral("Password:"), m_password);
    addRow(QStringLiteral("Local Folder:"), m_localFolder);
    addRow(QStringLiteral("PC Folder:"), m_pcFolder);
    addRow(QStringLiteral("Post:"), m_postBox, m_postFolder);
    addRow(QStringLiteral("Op:"), m_opBox);
    grid->setColumnStretch(2, 1);
    // Room for a share's path without scrolling.
    m_share->setMinimumWidth(fontMetrics().averageCharWidth() * 32);

    // The handheld confirmed from its title bar; here OK is a button, and the
    // default one, so that Enter keeps what was typed.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNetSessionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNetSessionDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CNetSessionDlg::OnInitDialog(const SessionForm& values)
{
    setValues(values);
    QStringList names;
    for (const QString& name : m_sessions.names()) {
        if (m_sessions.find(name)->isNet())
            names.append(name);
    }
    m_sessionBox->clear();
    AddSortedItems(*m_sessionBox, names);
    SetComboText(*m_sessionBox, values.sessionName);
    // Left enabled whatever the post-operation, until the Post box changes.
    m_postFolder->setEnabled(true);
}

void CNetSessionDlg::setValues(const SessionForm& values)
{
    SetComboText(*m_sessionBox, values.sessionName);
    m_share->setText(values.share);
    m_domain->setText(values.domain);
    m_userName->setText(values.userName);
    m_password->setText(values.password);
    m_localFolder->setText(values.localFolder);
    m_pcFolder->setText(values.pcFolder);
    SetComboText(*m_postBox, values.post);
    m_postFolder->setText(values.postFolder);
    SetComboText(*m_opBox, values.op);
}

SessionForm CNetSessionDlg::values() const
{
    SessionForm form;
    form.sessionName = m_sessionBox->currentText();
    form.domain = m_domain->text();
    form.localFolder = m_localFolder->text();
    form.password = m_password->text();
    form.share = m_share->text();
    form.pcFolder = m_pcFolder->text();
    form.userName = m_userName->text();
    form.post = m_postBox->currentText();
    form.postFolder = m_postFolder->text();
    form.op = m_opBox->currentText();
    return form;
}

QWidget* CNetSessionDlg::control(SessionField field) const
{
    switch (field) {
    case SessionField::SessionName:
        return m_sessionBox;
    case SessionField::Share:
        return m_share;
    case SessionField::Domain:
        return m_domain;
    case SessionField::UserName:
        return m_userName;
    case SessionField::Password:
        return m_password;
    case SessionField::LocalFolder:
        return m_localFolder;
    case SessionField::PcFolder:
        return m_pcFolder;
    case SessionField::Post:
        return m_postBox;
    case SessionField::PostFolder:
        return m_postFolder;
    case SessionField::Op:
        return m_opBox;
    }
    return nullptr;
}

void CNetSessionDlg::OnSelChangeSession()
{
    // A session that the table lacks leaves the form's fields empty.
    NetSession session = m_sessions.session(m_sessionBox->currentText()).net;
    SessionForm form = values();
    FillFromSession(form, session);
    setValues(form);
    OnSelChangePost();
}

void CNetSessionDlg::OnSelChangePost()
{
    m_postFolder->setEnabled(PostFolderEnabled(m_postBox->currentText()));
}

void CNetSessionDlg::accept()
{
    if (const auto problem = CheckSessionForm(values(), m_sessions.names(), m_editedName)) {
        m_messages.showMessage(problem->message, MessageIcon::Stop, MessageButtons::Ok);
        control(problem->field)->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace tarvo
