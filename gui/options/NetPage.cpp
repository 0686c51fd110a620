#include "gui/options/NetPage.h"

#include "config/NetSession.h"
#include "config/Settings.h"
#include "core/forms/SessionForm.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/widgets/CheckListCtrl.h"
#include "platform/MessageService.h"

#include <algorithm>
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
                   const ImageList& checkBoxIcons, QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_messages(messages)
    , m_sessionIcons(sessionIcons)
    , m_checkBoxIcons(checkBoxIcons)
    , m_list(new CCheckListCtrl(this))
    , m_add(makeButton(QStringLiteral("Add"), "addButton", this))
    , m_remove(makeButton(QStringLiteral("Remove"), "removeButton", this))
    , m_edit(makeButton(QStringLiteral("Edit"), "editButton", this))
    , m_setDefault(makeButton(QStringLiteral("Set Default"), "setDefaultButton", this))
{
    m_list->setObjectName(QStringLiteral("sessionList"));

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_remove, 0, 1);
    buttons->addWidget(m_edit, 1, 0);
    buttons->addWidget(m_setDefault, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

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
    m_list->setImageLists(&m_sessionIcons, &m_checkBoxIcons);
    m_list->clear();
    m_list->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Share")});
    // Room for a session name and a whole share path such as
    // "\\fileserver.example.com\documents"; the Share column takes the rest.
    const int character = m_list->fontMetrics().averageCharWidth();
    m_list->setMinimumWidth(character * 56);
    m_list->header()->resizeSection(0, character * 18);
    m_list->header()->setStretchLastSection(true);

    const WaitCursor wait(m_messages);
    const SessionTable& sessions = m_settings.Sessions;
    for (const QString& name : sessions.names()) {
        const QString line = sessions.value(name);
        if (name.isEmpty() || SessionKind(line) != KindNet)
            continue;
        NetSession session;
        session.Name = name;
        ParseNetSession(line, session);
        PutSession(session, FindDefaultSession(m_settings.DefaultSession, name) >= 0,
                   CCheckListCtrl::Unticked);
    }
    m_list->setFocus();
}

void CNetPage::PutSession(const NetSession& session, bool isDefault, int state)
{
    int row = FindRow(session.Name);
    if (row < 0) {
        row = insertSorted({session.Name, session.shareText()}, sessionIcon(isDefault));
    } else {
        m_list->setRowImage(row, sessionIcon(isDefault));
    }
    m_list->setState(row, state);
}

void CNetPage::ShowSession(const QString& name, const QString& line)
{
    NetSession session;
    session.Name = name;
    ParseNetSession(line, session);
    const int row = FindRow(name);
    if (row < 0) {
        PutSession(session, FindDefaultSession(m_settings.DefaultSession, name) >= 0,
                   CCheckListCtrl::Unticked);
        return;
    }
    // A shown session keeps its icon and its tick.
    m_list->topLevelItem(row)->setText(1, session.shareText());
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
        const QString line = m_settings.Sessions[name];
        if (SessionKind(line) != KindNet)
            continue;
        NetSession session;
        session.Name = name;
        ParseNetSession(line, session);
        // Cancel skips this session only; the next one still gets its dialog.
        runSessionDialog(SessionFormFrom(session));
    }
}

void CNetPage::runSessionDialog(const SessionForm& values)
{
    CNetSessionDlg dialog(values, m_settings.Sessions, m_messages, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // Stored under the dialog's name: a renamed session leaves the old one as
    // it was, unless only the letter case of its name changed.
    const SessionForm form = dialog.values();
    const QString line = EncodeSessionLine(form);
    if (RenamesLetterCase(values.sessionName, form.sessionName, m_settings.Sessions.names()))
        renameSession(values.sessionName, form.sessionName);
    m_settings.Sessions.insert(form.sessionName, line);
    ShowSession(form.sessionName, line);
}

void CNetPage::renameSession(const QString& from, const QString& to)
{
    m_settings.Sessions.remove(from);
    const qsizetype index = m_settings.DefaultSession.indexOf(from);
    if (index >= 0)
        m_settings.DefaultSession[index] = to;
    // Names equal but for letter case sort alike: the row keeps its place.
    if (QTreeWidgetItem* item = m_list->topLevelItem(FindRow(from)))
        item->setText(0, to);
}

void CNetPage::OnRemove()
{
    for (int row = m_list->topLevelItemCount() - 1; row >= 0; --row) {
        if (!m_list->isTicked(row))
            continue;
        const QString name = rowName(row);
        const bool isDefault = FindDefaultSession(m_settings.DefaultSession, name) >= 0;
        if (isDefault &&
            m_messages.showMessage(QStringLiteral("Delete default?"), MessageIcon::Question,
                                   MessageButtons::OkCancel) != MessageResult::Ok)
            continue;
        delete m_list->takeTopLevelItem(row);
        m_settings.Sessions.remove(name);
        if (isDefault)
            RemoveDefaultSession(m_settings.DefaultSession, name);
    }
}

void CNetPage::OnSetDefault()
{
    m_settings.DefaultSession.clear();
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const bool ticked = m_list->isTicked(row);
        m_list->setRowImage(row, sessionIcon(ticked));
        if (ticked)
            AddDefaultSession(m_settings.DefaultSession, rowName(row));
    }
}

int CNetPage::insertSorted(const QStringList& texts, int image)
{
    // The list keeps its rows in name order, letter case ignored; equal names
    // go after the rows already there.
    const int added = m_list->addRow(texts, image);
    QTreeWidgetItem* item = m_list->takeTopLevelItem(added);
    int row = 0;
    while (row < m_list->topLevelItemCount() &&
           rowName(row).compare(texts.first(), Qt::CaseInsensitive) <= 0)
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
