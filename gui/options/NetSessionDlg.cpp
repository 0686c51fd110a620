#include "gui/options/NetSessionDlg.h"

#include "config/NetSession.h"
#include "config/SessionTable.h"
#include "config/Settings.h"
#include "core/forms/ShareText.h"
#include "core/shares/ShareProbe.h"
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

QPushButton* makeButton(QWidget* parent, const QString& text, const char* name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false); // Enter stays with OK
    return button;
}

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    MakeEditableCombo(*box);
    return box;
}

} // namespace

CNetSessionDlg::CNetSessionDlg(const SessionForm& values, CBrowseDlg::Services services,
                               QWidget* parent)
    : QDialog(parent)
    , m_services(services)
    , m_sessions(services.settings.Sessions)
    , m_messages(services.messages)
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
    , m_browseLocal(makeButton(this, QStringLiteral("..."), "browseLocalButton"))
    , m_browsePc(makeButton(this, QStringLiteral("..."), "browsePcButton"))
    , m_test(makeButton(this, QStringLiteral("Test"), "testButton"))
    , m_testResult(new QLabel(this))
    , m_prober(std::make_unique<ShareProber>(services.connections, services.files))
{
    setWindowTitle(QStringLiteral("Map Network Drive"));
    m_password->setEchoMode(QLineEdit::Password);
    AddSortedItems(*m_postBox,
                   {QStringLiteral("Copy"), QStringLiteral("Del"), QStringLiteral("Move"),
                    QStringLiteral("Sync"), QStringLiteral("None")});
    AddSortedItems(*m_opBox,
                   {QStringLiteral("Put"), QStringLiteral("Get"), QStringLiteral("None")});
    layOut();
    describeFields();

    connect(m_browseLocal, &QPushButton::clicked, this, &CNetSessionDlg::OnBrowseLocalFolder);
    connect(m_browsePc, &QPushButton::clicked, this, &CNetSessionDlg::OnBrowsePcFolder);
    connect(m_test, &QPushButton::clicked, this, &CNetSessionDlg::OnTest);
    connect(m_prober.get(), &ShareProber::finished, this, &CNetSessionDlg::OnTestEnded);
    // Only a choice from the list counts as a change of selection, not typing.
    connect(m_sessionBox, &QComboBox::activated, this, &CNetSessionDlg::OnSelChangeSession);
    connect(m_postBox, &QComboBox::activated, this, &CNetSessionDlg::OnSelChangePost);

    OnInitDialog(values);
}

CNetSessionDlg::~CNetSessionDlg()
{
    // Gone before the widgets: waiting for its thread serves events.
    m_prober.reset();
}

void CNetSessionDlg::layOut()
{
    auto* grid = new QGridLayout;
    // Column 3 holds the "..." buttons of the folders.
    const auto addRow = [&](const QString& label, QWidget* field, QWidget* beside = nullptr) {
        const int row = grid->rowCount();
        auto* caption = new QLabel(label, this);
        caption->setBuddy(field);
        grid->addWidget(caption, row, 0);
        const bool button = qobject_cast<QPushButton*>(beside);
        grid->addWidget(field, row, 1, 1, beside && !button ? 1 : 2);
        if (beside)
            grid->addWidget(beside, row, button ? 3 : 2);
    };
    addRow(QStringLiteral("Session:"), m_sessionBox);
    addRow(QStringLiteral("Share:"), m_share);
    addRow(QStringLiteral("Domain:"), m_domain);
    addRow(QStringLiteral("User Name:"), m_userName);
    addRow(QStringLiteral("Password:"), m_password);
    addRow(QStringLiteral("Local Folder:"), m_localFolder, m_browseLocal);
    addRow(QStringLiteral("PC Folder:"), m_pcFolder, m_browsePc);
    addRow(QStringLiteral("Post:"), m_postBox, m_postFolder);
    addRow(QStringLiteral("Op:"), m_opBox);
    grid->setColumnStretch(2, 1);
    // Room for a share's path without scrolling.
    m_share->setMinimumWidth(fontMetrics().averageCharWidth() * 32);

    // The handheld confirmed from its title bar; here OK is a button, and the
    // default one, so that Enter keeps what was typed.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->addButton(m_test, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNetSessionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNetSessionDlg::reject);

    m_testResult->setObjectName(QStringLiteral("testResultLabel"));
    m_testResult->setWordWrap(true);
    m_testResult->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_testResult);
    layout->addWidget(buttons);
}

void CNetSessionDlg::describeFields()
{
    // Examples of the form each field takes, and which folder is where: the
    // names alone do not tell this computer's folders from the share's.
    const auto describe = [](QWidget* field, const QString& example, const QString& tip) {
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->setPlaceholderText(example);
        else if (auto* box = qobject_cast<QComboBox*>(field); box && box->lineEdit())
            box->lineEdit()->setPlaceholderText(example);
        field->setToolTip(tip);
    };
    describe(m_sessionBox, QStringLiteral("Office"),
             QStringLiteral("Session: the name the session is chosen by"));
    describe(
        m_share, QStringLiteral("\\\\server\\share"),
        QStringLiteral("Share: the shared folder on the network, such as \\\\fileserver\\docs, "
                       "//fileserver/docs or smb://fileserver:445/docs"));
    describe(m_domain, QStringLiteral("WORKGROUP"),
             QStringLiteral("Domain: the domain or workgroup of the user name"));
    describe(m_userName, QStringLiteral("Administrator"),
             QStringLiteral("User Name: the account that logs on to the share"));
    describe(m_password, QStringLiteral("password"),
             QStringLiteral("Password: the account's password on the share"));
    describe(m_localFolder, QStringLiteral("\\My Documents\\Outbox"),
             QStringLiteral("Local Folder: the folder on this computer"));
    describe(m_pcFolder, QStringLiteral("\\Incoming"),
             QStringLiteral("PC Folder: the folder on the share"));
    describe(m_postBox, QStringLiteral("None"),
             QStringLiteral("Post: what becomes of the files on this computer once they are "
                            "sent: Copy, Move, Del, Sync or None"));
    describe(m_postFolder, QStringLiteral("\\My Documents\\Sent"),
             QStringLiteral("Post Folder: the folder on this computer that Copy and Move put "
                            "the sent files in"));
    describe(m_opBox, QStringLiteral("None"),
             QStringLiteral("Op: Put sends from the local folder to the PC folder, Get fetches "
                            "from the PC folder into the local folder"));
    m_browseLocal->setToolTip(QStringLiteral("Choose the local folder on this computer"));
    m_browsePc->setToolTip(QStringLiteral("Choose the PC folder on the share"));
    m_test->setToolTip(QStringLiteral("Log on to the share with the user name and password "
                                      "typed and list the PC folder"));
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

bool CNetSessionDlg::checkShare()
{
    const ParsedShare share = ParseShareText(m_share->text());
    if (!share.accepted()) {
        m_messages.showMessage(share.problem, MessageIcon::Stop, MessageButtons::Ok);
        m_share->setFocus();
    }
    return share.accepted();
}

std::optional<QString> CNetSessionDlg::browse(const QString& direction)
{
    // A table of one session, made of the fields: the browser finds the
    // share and the logon there, and the table of the sheet stays as it is.
    // The session's name is what a failure to connect names.
    SessionForm form = values();
    form.op = direction;
    if (form.sessionName.isEmpty())
        form.sessionName = QStringLiteral("New session");
    Settings browsing = m_services.settings;
    browsing.Sessions.clear();
    browsing.Sessions.insert(form.sessionName, EncodeSessionLine(WithStoredShare(form)));
    CBrowseDlg dialog(CBrowseDlg::Services{browsing, m_services.files, m_services.connections,
                                           m_messages, m_services.sessionIcons},
                      form.sessionName, this);
    if (dialog.exec() != QDialog::Accepted || dialog.resultPath().isEmpty())
        return std::nullopt;
    return dialog.resultPath();
}

void CNetSessionDlg::OnBrowseLocalFolder()
{
    if (const auto path = browse(QStringLiteral("Put")))
        m_localFolder->setText(*path);
    m_localFolder->setFocus();
}

void CNetSessionDlg::OnBrowsePcFolder()
{
    if (!checkShare())
        return;
    if (const auto path = browse(QStringLiteral("Get"))) {
        // The browser gives "\\server\share\folder"; the field holds the part
        // below the share.
        const QString share = ParseShareText(m_share->text()).text;
        QString below =
            path->startsWith(share, Qt::CaseInsensitive) ? path->mid(share.size()) : *path;
        m_pcFolder->setText(below.isEmpty() ? QStringLiteral("\\") : below);
    }
    m_pcFolder->setFocus();
}

void CNetSessionDlg::OnTest()
{
    if (isTesting() || !checkShare())
        return;
    m_test->setEnabled(false);
    m_testResult->setText(
        QStringLiteral("Logging on to %1...").arg(ParseShareText(m_share->text()).text));
    setCursor(Qt::BusyCursor);
    m_prober->start(NetSessionOf(values()));
}

void CNetSessionDlg::OnTestEnded(const QString& found)
{
    unsetCursor();
    m_testResult->setText(found);
    m_test->setEnabled(true);
}

QString CNetSessionDlg::testResult() const
{
    return isTesting() ? QString() : m_testResult->text();
}

bool CNetSessionDlg::isTesting() const
{
    return m_prober->isRunning();
}

void CNetSessionDlg::accept()
{
    if (const auto problem = CheckSessionForm(values(), m_sessions.names(), m_editedName)) {
        m_messages.showMessage(problem->message, MessageIcon::Stop, MessageButtons::Ok);
        control(problem->field)->setFocus();
        return;
    }
    m_share->setText(WithStoredShare(values()).share);
    QDialog::accept();
}

void CNetSessionDlg::done(int result)
{
    m_prober->abandon();
    QDialog::done(result);
}

} // namespace tarvo
