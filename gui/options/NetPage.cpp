#include "gui/options/NetPage.h"

#include "config/NetSession.h"
#include "config/Settings.h"
#include "core/forms/SessionEdits.h"
#include "core/forms/SessionForm.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/widgets/CheckListCtrl.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo {

namespace {

constexpr int OrdinaryIcon = 12;
constexpr int DefaultIcon = 13;

int sessionIcon(bool isDefault)
{
    return isDefault ? DefaultIcon : OrdinaryIcon;
}

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CNetPage::CNetPage(Settings& settings, MessageService& messages, const ImageList& sessionIcons,
                   FileSystem& files, ShareConnections& connections, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_sessionIcons(sessionIcons)
    , m_files(files)
    , m_connections(connections)
    , m_list(new CCheckListCtrl(this))
    , m_add(makeButton(QStringLiteral("Add"), "addButton", this))
    , m_remove(makeButton(QStringLiteral("Remove"), "removeButton", this))
    , m_edit(makeButton(QStringLiteral("Edit"), "editButton", this))
    , m_setDefault(makeButton(QStringLiteral("Set Default"), "setDefaultButton", this))
    , m_keyring(new QCheckBox(QStringLiteral("&Keep passwords in the desktop keyring"), this))
{
    m_keyring->setObjectName(QStringLiteral("keyringBox"));
    m_keyring->setChecked(settings.Keyring);
    m_keyring->setToolTip(
        QStringLiteral("On: the passwords live in the keyring that your desktop unlocks at "
                       "login, and the configuration file keeps none. Off: the configuration "
                       "file keeps them, readable by you only."));
    m_list->setObjectName(QStringLiteral("sessionList"));

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_remove, 0, 1);
    buttons->addWidget(m_edit, 1, 0);
    buttons->addWidget(m_setDefault, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_keyring);

    connect(m_add, &QPushButton::clicked, this, &CNetPage::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CNetPage::OnEdit);
    connect(m_remove, &QPushButton::clicked, this, &CNetPage::OnRemove);
    connect(m_setDefault, &QPushButton::clicked, this, &CNetPage::OnSetDefault);
}

void CNetPage::showEvent(QShowEvent* event)
{
    // The list is filled once, when the user first turns to the page.
    if (!m_filled) {
        m_filled = true;
        OnInitDialog();
    }
    QWidget::showEvent(event);
}

void CNetPage::OnInitDialog()
{
    m_list->setImageList(&m_sessionIcons);
    m_list->clear();
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Share"),
                             QStringLiteral("Direction"), QStringLiteral("Local Folder"),
                             QStringLiteral("Share Folder"), QStringLiteral("Post-Operation")});
    // Room for a session name and a share path such as "\\fileserver\documents";
    // longer folders scroll sideways.
    const int character = m_list->fontMetrics().averageCharWidth();
    m_list->setMinimumWidth(character * 56);
    const QList<int> widths{18, 24, 10, 18, 16, 16};
    for (int column = 0; column < widths.size(); ++column)
        m_list->header()->resizeSection(column, character * widths.at(column));
    m_list->header()->setStretchLastSection(true);

    const WaitCursor wait(m_messages);
    const SessionTable& sessions = m_settings.Sessions;
    for (const QString& name : sessions.names()) {
        const Session& session = *sessions.find(name);
        if (!name.isEmpty() && session.isNet())
            ShowSession(session);
    }
    m_list->setFocus();
}

void CNetPage::ShowSession(const Session& session)
{
    const int row = FindRow(session.name);
    if (row < 0)
        insertSorted(session.net,
                     sessionIcon(FindDefaultSession(m_settings.DefaultSession, session.name) >= 0));
    else {
        const QStringList texts = rowTexts(session.net);
        for (int column = 1; column < texts.size(); ++column)
            m_list->topLevelItem(row)->setText(column, texts.at(column));
    }
}

QStringList CNetPage::rowTexts(const NetSession& session)
{
    QString post = PostOpName(session.PostOp);
    if (PostFolderEnabled(post) && !session.PostFolder.isEmpty())
        post += QStringLiteral(" to ") + session.PostFolder;
    return {session.Name,        session.shareText(), DirectionName(session.Direction),
            session.LocalFolder, session.PcFolder,    post};
}

int CNetPage::FindRow(const QString& name) const
{
    // Exact, as the session table compares its names: "Office" and "office"
    // are two sessions and get two rows.
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (rowName(row) == name)
            return row;
    }
    return -1;
}

QStringList CNetPage::SelectedNames() const
{
    QList<int> rows;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        rows.append(m_list->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (const int row : std::as_const(rows))
        names.append(rowName(row));
    return names;
}

bool CNetPage::keepPasswordsInKeyring() const
{
    return m_keyring->isChecked();
}

void CNetPage::OnAdd()
{
    runSessionDialog(SessionFormForAdd());
}

void CNetPage::OnEdit()
{
    const QStringList names = SelectedNames();
    if (names.isEmpty()) {
        m_messages.showMessage(QStringLiteral("Please select one item"), MessageIcon::Stop,
                               MessageButtons::Ok);
        return;
    }
    for (const QString& name : names) {
        const Session session = m_settings.Sessions.session(name);
        // Cancel skips this session only; the next one still gets its dialog.
        if (session.isNet())
            runSessionDialog(SessionFormFrom(session.net));
    }
}

void CNetPage::runSessionDialog(const SessionForm& values)
{
    CNetSessionDlg dialog(
        values,
        CBrowseDlg::Services{m_settings, m_files, m_connections, m_messages, m_sessionIcons}, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const StoredSession stored = StoreSession(m_settings, values.sessionName, dialog.values());
    m_settings = stored.settings;
    // Names equal but for letter case sort alike: a renamed row keeps its
    // place, its tick and its icon.
    QTreeWidgetItem* renamed =
        stored.renamedFrom.isEmpty() ? nullptr : m_list->topLevelItem(FindRow(stored.renamedFrom));
    if (renamed)
        renamed->setText(0, stored.name);
    ShowSession(*m_settings.Sessions.find(stored.name));
}

QStringList CNetPage::tickedNames(bool lastFirst) const
{
    QStringList names;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->isTicked(row))
            names.append(rowName(row));
    }
    if (lastFirst)
        std::reverse(names.begin(), names.end());
    return names;
}

void CNetPage::OnRemove()
{
    // The list asks from its last row up.
    const RemovedSessions result =
        RemoveSessions(m_settings, tickedNames(true), [this](const QString&) {
            return m_messages.showMessage(QStringLiteral("Delete default?"), MessageIcon::Question,
                                          MessageButtons::OkCancel) == MessageResult::Ok;
        });
    m_settings = result.settings;
    for (const QString& name : result.removed)
        delete m_list->takeTopLevelItem(FindRow(name));
}

void CNetPage::OnSetDefault()
{
    m_settings = SetDefaultSessions(m_settings, tickedNames());
    // The icon follows the defaults as set, name for name.
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        m_list->setRowImage(row, sessionIcon(m_settings.DefaultSession.contains(rowName(row))));
}

int CNetPage::insertSorted(const NetSession& session, int image)
{
    // The list keeps its rows in name order, letter case ignored; equal names
    // go after the rows already there.
    const int added = m_list->addRow(rowTexts(session), image);
    QTreeWidgetItem* item = m_list->takeTopLevelItem(added);
    int row = 0;
    while (row < m_list->topLevelItemCount() &&
           rowName(row).compare(session.Name, Qt::CaseInsensitive) <= 0)
        ++row;
    m_list->insertTopLevelItem(row, item);
    return row;
}

QString CNetPage::rowName(int row) const
{
    const QTreeWidgetItem* item = m_list->topLevelItem(row);
    return item ? item->text(0) : QString();
}

} // namespace tarvo
