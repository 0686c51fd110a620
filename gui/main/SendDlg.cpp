#include "gui/main/SendDlg.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "config/SessionFolder.h"
#include "core/filelist/FileListRefresher.h"
#include "core/filelist/FileListTexts.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/PathBox.h"
#include "gui/main/SendApp.h"
#include "gui/main/WindowState.h"
#include "platform/ErrorTexts.h"
#include "platform/PlatformServices.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyleOptionButton>

namespace tarvo {

namespace {

// Previews a send of the selection: P as in Preview, beside Ctrl+P for print
// that this window has no use for.
constexpr auto PreviewKey = Qt::CTRL | Qt::Key_P;

// A button of the main window. A narrow one ("A", "I", "...") is as wide as
// its text needs, or as it is high, where the style would give every button
// with a text 80 pixels; one with two labels ("Send" and "Receive") keeps the
// width of the wider, so that its neighbours stay put.
class WindowButton : public QPushButton
{
public:
    WindowButton(const QString& text, QWidget* parent)
        : QPushButton(text, parent)
    {}

    void setNarrow()
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        m_narrow = true;
    }
    void setWidestText(const QString& text) { m_widestText = text; }

    QSize sizeHint() const override
    {
        QSize hint = QPushButton::sizeHint();
        if (m_narrow) {
            QStyleOptionButton option;
            initStyleOption(&option);
            const int margins =
                2 * (style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this) +
                     style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this));
            hint.setWidth(qMax(fontMetrics().horizontalAdvance(text()) + margins, hint.height()));
        }
        const int extra =
            fontMetrics().horizontalAdvance(m_widestText) - fontMetrics().horizontalAdvance(text());
        if (extra > 0)
            hint.rwidth() += extra;
        return hint;
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    bool m_narrow = false;
    QString m_widestText;
};

} // namespace

CSendDlg::CSendDlg(CSendApp& app, Handlers handlers, QWidget* parent)
    : QDialog(parent, Qt::Window)
    , m_app(app)
    , m_handlers(std::move(handlers))
    , m_sessionLabel(new QLabel(QStringLiteral("Session:"), this))
    , m_sessionBox(new QComboBox(this))
    , m_selectAllButton(addButton(QStringLiteral("&A"), "selectAllButton", true))
    , m_invertButton(addButton(QStringLiteral("&I"), "invertButton", true))
    , m_pathLabel(new QLabel(QStringLiteral("Path:"), this))
    , m_pathBox(new PathBox(this))
    , m_browseButton(addButton(QStringLiteral("..."), "browseButton", true))
    , m_fileList(new CFileListCtrl(m_listModel, this))
    , m_sendButton(
          addButton(QStringLiteral("&Send"), "sendButton", false, QStringLiteral("&Receive")))
    , m_previewButton(addButton(QStringLiteral("Pre&view"), "previewButton"))
    , m_optionButton(addButton(QStringLiteral("&Option"), "optionButton"))
    , m_refreshButton(addButton(QStringLiteral("R&efresh"), "refreshButton"))
    , m_exitButton(addButton(QStringLiteral("E&xit"), "exitButton"))
    , m_status(new QLabel(this))
    , m_firstStart(new QWidget(this))
    , m_refresher(new FileListRefresher(m_listModel, app.refreshServices(), this))
{
    setWindowTitle(QStringLiteral("Tarvo"));
    setObjectName(QStringLiteral("sendDialog"));
    m_sessionBox->setObjectName(QStringLiteral("sessionBox"));
    m_sessionBox->setEditable(true);
    m_sessionBox->setInsertPolicy(QComboBox::NoInsert);
    // A long session name widens the box's list, not the window.
    m_sessionBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sessionBox->setMinimumContentsLength(12);
    m_pathBox->setObjectName(QStringLiteral("pathBox"));
    m_fileList->setObjectName(QStringLiteral("fileList"));
    m_sessionLabel->setBuddy(m_sessionBox);
    m_pathLabel->setBuddy(m_pathBox);
    // Enter in the Path box must not press a button and close the window.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    layOutControls();

    connect(m_browseButton, &QPushButton::clicked, this, &CSendDlg::OnBrowse);
    connect(m_optionButton, &QPushButton::clicked, this, &CSendDlg::OnOption);
    connect(m_sendButton, &QPushButton::clicked, this, &CSendDlg::OnSend);
    connect(m_previewButton, &QPushButton::clicked, this, &CSendDlg::OnPreview);
    addShortcuts();
    addToolTips();
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextFormat(Qt::PlainText);
    connect(m_fileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CSendDlg::showStatus);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&m_listModel, signal, this, &CSendDlg::showStatus);
    connect(&m_listModel, &QAbstractItemModel::modelReset, this, &CSendDlg::showStatus);
    m_fileList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_fileList, &QWidget::customContextMenuRequested, this, &CSendDlg::showRowMenu);
    connect(m_refreshButton, &QPushButton::clicked, this, &CSendDlg::OnRefresh);
    connect(m_selectAllButton, &QPushButton::clicked, this, &CSendDlg::OnSelectAll);
    connect(m_invertButton, &QPushButton::clicked, this, &CSendDlg::OnInvert);
    connect(m_exitButton, &QPushButton::clicked, this, &CSendDlg::OnExit);
    connect(m_sessionBox, &QComboBox::activated, this, &CSendDlg::OnSelChangeSession);
    connect(m_pathBox, &PathBox::folderEntered, this,
            [this](const QString& folder) { ApplySessionFolder(SessionText(), folder); });
    connect(m_refresher, &FileListRefresher::finished, this, [this](bool defaultSelect) {
        m_fileList->SelectAll(defaultSelect);
        emit refreshFinished();
    });

    OnInitDialog();
}

CSendDlg::~CSendDlg()
{
    m_refresher->stop();
    // The list and the refresher use the model, which goes before the
    // dialog's children would.
    delete m_refresher;
    delete m_fileList;
}

QLineEdit& CSendDlg::pathBox()
{
    return *m_pathBox;
}

QPushButton* CSendDlg::addButton(const QString& text, const char* objectName, bool narrow,
                                 const QString& otherText)
{
    auto* button = new WindowButton(text, this);
    button->setObjectName(QLatin1String(objectName));
    if (narrow)
        button->setNarrow();
    button->setWidestText(otherText);
    return button;
}

void CSendDlg::layOutControls()
{
    // The controls keep the order of the handheld's dialog: the session box
    // and the Path box take the width, the list takes the height.
    for (QLabel* label : {m_sessionLabel, m_pathLabel})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* boxes = new QGridLayout;
    boxes->addWidget(m_sessionLabel, 0, 0);
    boxes->addWidget(m_sessionBox, 0, 1);
    boxes->addWidget(m_selectAllButton, 0, 2);
    boxes->addWidget(m_invertButton, 0, 3);
    boxes->addWidget(m_pathLabel, 1, 0);
    boxes->addWidget(m_pathBox, 1, 1, 1, 2);
    boxes->addWidget(m_browseButton, 1, 3);
    boxes->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_sendButton);
    buttons->addWidget(m_previewButton);
    buttons->addWidget(m_optionButton);
    buttons->addWidget(m_refreshButton);
    buttons->addStretch(1);
    buttons->addWidget(m_exitButton);

    // The first start's explanation takes the list's place until a share is added.
    auto* explanation = new QLabel(
        QStringLiteral("Tarvo sends files between a folder of this computer and a folder on "
                       "a Windows or Samba share. Add a share to begin: its address (such as "
                       "\\\\fileserver\\docs), your user name and password, and the two "
                       "folders."),
        m_firstStart);
    explanation->setObjectName(QStringLiteral("firstStartText"));
    explanation->setWordWrap(true);
    explanation->setTextFormat(Qt::PlainText);
    auto* addShare = new QPushButton(QStringLiteral("A&dd a share\u2026"), m_firstStart);
    addShare->setObjectName(QStringLiteral("addShareButton"));
    addShare->setToolTip(QStringLiteral("Set up the first session: a share and its folders"));
    connect(addShare, &QPushButton::clicked, this, [this] {
        if (m_handlers.addShare)
            m_handlers.addShare(*this);
    });
    auto* firstStart = new QVBoxLayout(m_firstStart);
    firstStart->addStretch(1);
    firstStart->addWidget(explanation);
    firstStart->addWidget(addShare, 0, Qt::AlignHCenter);
    firstStart->addStretch(1);
    m_firstStart->hide();

    auto* window = new QVBoxLayout(this);
    window->addLayout(boxes);
    window->addWidget(m_fileList, 1);
    window->addWidget(m_firstStart, 1);
    window->addWidget(m_status);
    window->addLayout(buttons);
    // Room for a few rows however small the window gets.
    m_fileList->setMinimumHeight(m_fileList->horizontalHeader()->sizeHint().height() +
                                 5 * m_fileList->verticalHeader()->defaultSectionSize());
}

void CSendDlg::placeWindow()
{
    // The size of the last run, else one that shows the list comfortably,
    // centred on the screen.
    const QRect available = screen()->availableGeometry();
    resize(StartWindowSize(available.size()).expandedTo(minimumSizeHint()));
    move(available.center() - rect().center());
    const QByteArray saved = ReadWindowGeometry(m_app.windowStatePath());
    // Qt brings a window that would lie off the screens back onto one, and
    // refuses what is not a geometry it wrote.
    if (!saved.isEmpty())
        restoreGeometry(saved);
}

void CSendDlg::OnInitDialog()
{
    m_optionButton->setVisible(m_app.settings().EnableOption);
    // Features that are not plugged in leave their buttons in place, inactive.
    m_sendButton->setEnabled(bool(m_handlers.send));
    m_previewButton->setEnabled(bool(m_handlers.preview));
    m_optionButton->setEnabled(bool(m_handlers.option));
    m_browseButton->setEnabled(bool(m_handlers.browse));

    setWindowIcon(m_app.appIcon());
    placeWindow();
    layout()->activate(); // the list gets its width, which the columns share

    m_fileList->SetImageLists(&m_app.systemSmallIcons(), &m_app.systemLargeIcons());
    m_fileList->CreateColumns();
    UpdateForFirstSession();
    // How the user left the list: its columns, its order and the session chosen.
    const ListState kept = ReadListState(m_app.windowStatePath());
    m_fileList->setColumnShares(kept.columnShares);
    m_fileList->sortBy(kept.sortColumn, kept.sortOrder);
    if (const int chosen = m_sessionBox->findText(kept.session);
        !kept.session.isEmpty() && chosen >= 0) {
        m_sessionBox->setCurrentIndex(chosen);
        OnSelChangeSession();
    }
    showStatus();
    StartRefresh();
    m_fileList->setFocus();
}

void CSendDlg::FillSessionCombo(const QString& name)
{
    m_sessionBox->clear();
    QStringList names = m_app.settings().DefaultSession;
    // The box keeps its entries sorted, letter case ignored.
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    m_sessionBox->addItems(names);

    // An entry equal to the name wins over one that merely begins with it.
    int chosen = names.indexOf(name);
    if (chosen < 0) {
        const auto found = std::find_if(names.cbegin(), names.cend(), [&](const QString& entry) {
            return entry.startsWith(name, Qt::CaseInsensitive);
        });
        chosen = found == names.cend() ? -1 : int(found - names.cbegin());
    }
    m_sessionBox->setCurrentIndex(chosen);
}

void CSendDlg::SetSendLabel(TransferDirection direction)
{
    m_sendButton->setText(direction == TransferDirection::Get ? QStringLiteral("&Receive")
                                                              : QStringLiteral("&Send"));
}

void CSendDlg::addShortcuts()
{
    const auto add = [this](QKeySequence key, void (CSendDlg::*slot)()) {
        auto* shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    add(QKeySequence(PreviewKey), &CSendDlg::OnPreview);
    add(QKeySequence(Qt::Key_F5), &CSendDlg::OnRefresh);
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), &CSendDlg::OnExit);
    add(QKeySequence(Qt::Key_F1), &CSendDlg::OnHelp);
}

void CSendDlg::addToolTips()
{
    const auto key = [](QKeySequence sequence) {
        return sequence.toString(QKeySequence::NativeText);
    };
    m_selectAllButton->setToolTip(QStringLiteral("Select every file of the list (A)"));
    m_invertButton->setToolTip(QStringLiteral("Invert the selection (I)"));
    m_browseButton->setToolTip(QStringLiteral("Choose the session's folder from a tree"));
    m_sendButton->setToolTip(QStringLiteral("Transfer the selected files, session by session"));
    m_previewButton->setToolTip(QStringLiteral("What a send of the selected files would do (%1)")
                                    .arg(key(QKeySequence(PreviewKey))));
    m_optionButton->setToolTip(QStringLiteral("Sessions, filters and the default choices"));
    m_refreshButton->setToolTip(QStringLiteral("List the files of every default session again (%1)")
                                    .arg(key(QKeySequence(Qt::Key_F5))));
    m_exitButton->setToolTip(
        QStringLiteral("Close Tarvo (%1)").arg(key(QKeySequence(Qt::CTRL | Qt::Key_Q))));
    m_sessionBox->setToolTip(QStringLiteral("The session that the Path box and \"...\" refer to"));
    m_pathBox->setToolTip(
        QStringLiteral("The chosen session's folder; type another and press Enter"));
}

void CSendDlg::showStatus()
{
    quint64 bytes = 0;
    const QList<int> selected = m_fileList->selectedRows();
    for (int row : selected)
        bytes += m_listModel.row(row).bytes;
    m_status->setText(ListStatusText(m_listModel.rowCount(), int(selected.size()), bytes));
}

void CSendDlg::showRowMenu(const QPoint& where)
{
    const QModelIndex index = m_fileList->indexAt(where);
    QMenu menu(this);
    menu.addAction(m_sendButton->text(), this, &CSendDlg::OnSend)
        ->setEnabled(m_sendButton->isEnabled());
    menu.addAction(QStringLiteral("Pre&view"), this, &CSendDlg::OnPreview)
        ->setEnabled(m_previewButton->isEnabled());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Select &all"), this, &CSendDlg::OnSelectAll);
    menu.addAction(QStringLiteral("&Invert selection"), this, &CSendDlg::OnInvert);
    if (index.isValid()) {
        const FileRow row = m_listModel.row(index.row());
        menu.addSeparator();
        menu.addAction(QStringLiteral("Open containing &folder"), this,
                       [this, row] { QDesktopServices::openUrl(FolderUrl(row.path)); });
        menu.addAction(QStringLiteral("&Copy path"), this, [row] {
            QGuiApplication::clipboard()->setText(AddTrailingSeparator(row.path) + row.name);
        });
    }
    menu.exec(m_fileList->viewport()->mapToGlobal(where));
}

QUrl CSendDlg::FolderUrl(const QString& folder) const
{
    // A folder on a share opens in the desktop's file manager as smb://.
    if (folder.startsWith(QStringLiteral("\\\\"))) {
        QString path = folder.mid(2);
        path.replace(u'\\', u'/');
        return QUrl(QStringLiteral("smb://") + path);
    }
    return QUrl::fromLocalFile(m_app.platform().devicePaths().toNative(folder));
}

void CSendDlg::OnExit()
{
    reject();
}

void CSendDlg::OnHelp()
{
    // The README that About links to: the installed copy, or the checkout's.
    if (!m_app.readmePath().isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_app.readmePath()));
}

void CSendDlg::StartRefresh()
{
    m_refresher->start(FileListBuilder::TakeSnapshot(m_app.settings()));
}

QString CSendDlg::SessionText() const
{
    const int index = m_sessionBox->currentIndex();
    return index < 0 ? QString() : m_sessionBox->itemText(index);
}

void CSendDlg::UpdateForFirstSession()
{
    Settings& settings = m_app.settings();
    const QString name = FirstDefaultSession(settings.DefaultSession);
    // Looked up as every session of the window is: a name that the table
    // lacks gains an empty line.
    const Session& session = settings.Sessions.addIfMissing(name);
    SetSendLabel(session.direction);
    m_pathBox->showFolder(SessionSourceFolder(session));
    FillSessionCombo(name);
    ShowFirstStartIfEmpty();
}

void CSendDlg::ShowFirstStartIfEmpty()
{
    const SessionTable& sessions = m_app.settings().Sessions;
    const QStringList& names = sessions.names();
    const bool none = std::none_of(names.cbegin(), names.cend(), [&sessions](const QString& name) {
        // A name looked up without a line gains an empty one: no share.
        return sessions.session(name).netFields;
    });
    const bool firstStart = none && m_handlers.addShare;
    m_firstStart->setVisible(firstStart);
    m_fileList->setVisible(!firstStart);
}

void CSendDlg::OnSelChangeSession()
{
    const Session& session = m_app.settings().Sessions.addIfMissing(SessionText());
    m_pathBox->showFolder(SessionSourceFolder(session));
    SetSendLabel(session.direction);
    update();
}

void CSendDlg::ShowSessionFolder()
{
    m_pathBox->showFolder(SessionSourceFolder(m_app.settings().Sessions.session(SessionText())));
}

void CSendDlg::ApplySessionFolder(const QString& name, const QString& folder)
{
    Settings& settings = m_app.settings();
    const SessionFolderChange change = ChangeSessionFolder(settings.Sessions.session(name), folder);
    if (change.result == SessionFolderChange::Changed) {
        settings.Sessions.insert(name, change.line);
        StartRefresh();
    }
    // The box shows what the session uses, also behind the message of a refusal.
    ShowSessionFolder();
    if (change.result == SessionFolderChange::Refused)
        m_app.messages().showMessage(change.message, MessageIcon::Error, MessageButtons::Ok);
}

void CSendDlg::OnRefresh()
{
    // The user's own refresh lets go of the last run's marks.
    m_listModel.clearFailures();
    StartRefresh();
    m_fileList->setFocus();
}

void CSendDlg::OnSelectAll()
{
    // "A" always selects every row; DefaultSelect decides only after a refresh.
    m_fileList->SelectAll(true);
    m_fileList->setFocus();
}

void CSendDlg::OnInvert()
{
    m_fileList->InvertSelection();
    m_fileList->setFocus();
}

void CSendDlg::OnSend()
{
    if (m_handlers.send)
        m_handlers.send(*this);
}

void CSendDlg::OnPreview()
{
    if (m_handlers.preview && m_previewButton->isEnabled())
        m_handlers.preview(*this);
}

void CSendDlg::OnOption()
{
    if (m_handlers.option && m_app.settings().EnableOption)
        m_handlers.option(*this);
}

void CSendDlg::OnBrowse()
{
    if (m_handlers.browse)
        m_handlers.browse(*this);
}

void CSendDlg::keyPressEvent(QKeyEvent* event)
{
    // Esc, which would close a dialog, leaves the program's window open.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSendDlg::done(int result)
{
    m_refresher->stop();
    // A place that cannot be kept is said while the window still stands, so
    // the box has a window to stand on; the old state file stays as it was.
    const QString stateFile = m_app.windowStatePath();
    if (isVisible()) {
        const ListState list{m_fileList->columnShares(), m_listModel.sortColumn(),
                             m_listModel.sortOrder(), SessionText()};
        if (const int error = WriteWindowState(stateFile, saveGeometry(), list))
            m_app.messages().showMessage(
                WithReason(
                    QStringLiteral("Failed to write the window state file %1").arg(stateFile),
                    error),
                MessageIcon::Error, MessageButtons::Ok);
    }
    QDialog::done(result);
}

} // namespace tarvo
