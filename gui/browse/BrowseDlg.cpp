#include "gui/browse/BrowseDlg.h"

#include "config/Settings.h"
#include "core/browse/BrowseRoot.h"
#include "core/browse/FolderTreeModel.h"
#include "gui/main/ImageLists.h"
#include "gui/main/SendApp.h"
#include "platform/PlatformServices.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tarvo {

namespace {

// The session icons' cells: the device, and a folder closed and open. This is
// not a Pocket PC, so the folders are cells 1 and 2 rather than bitmaps 132
// and 133 appended to the list.
constexpr int DeviceCell = 0;
constexpr int ClosedFolderCell = 1;
constexpr int OpenFolderCell = 2;

// A folder shows open while it is selected, as the handheld's tree did.
QIcon FolderIcon(const ImageList& icons)
{
    QIcon icon;
    icon.addPixmap(icons.pixmap(ClosedFolderCell), QIcon::Normal);
    icon.addPixmap(icons.pixmap(OpenFolderCell), QIcon::Selected);
    return icon;
}

} // namespace

CBrowseDlg::CBrowseDlg(Services services, QString sessionName, QWidget* parent)
    : QDialog(parent)
    , m_sessionName(std::move(sessionName))
    , m_tree(new QTreeView(this))
    , m_model(new FolderTreeModel(services.files, this))
{
    setWindowTitle(QStringLiteral("Browse"));
    setObjectName(QStringLiteral("browseDialog"));
    auto* caption = new QLabel(QStringLiteral("Please select a folder:"), this);
    caption->setBuddy(m_tree);
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true); // keeps a folder of thousands of subfolders quick
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("okButton"));
    QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 48, metrics.height() * 26);

    connect(buttons, &QDialogButtonBox::accepted, this, &CBrowseDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBrowseDlg::reject);
    OnInitDialog(services);
}

CBrowseDlg::CBrowseDlg(CSendApp& app, QString sessionName, QWidget* parent)
    : CBrowseDlg(Services{app.settings(), app.platform().files(), app.platform().connections(),
                          app.messages(), app.sessionIcons()},
                 std::move(sessionName), parent)
{}

CBrowseDlg::~CBrowseDlg()
{
    // Gone before the widgets: waiting for its thread serves events.
    m_connector.reset();
}

void CBrowseDlg::OnInitDialog(const Services& services)
{
    m_model->setTreeSpeed(services.settings.TreeSpeed);
    m_model->setDecorations(services.sessionIcons.icon(DeviceCell),
                            FolderIcon(services.sessionIcons));
    // Reading the session must not add the name to the table.
    const Session session = services.settings.Sessions.session(m_sessionName);
    const BrowseRoot root = BrowseRootOf(session);
    m_model->setRoot(root.text);
    m_tree->setModel(m_model);
    KeepSelectionOnParent(*m_model, *m_tree->selectionModel());

    connect(m_tree, &QTreeView::expanded, m_model, &FolderTreeModel::expandItem);
    connect(m_model, &FolderTreeModel::folderRead, this, &CBrowseDlg::OnItemRead);
    connect(m_model, &FolderTreeModel::busyChanged, this, [this](bool busy) {
        if (busy)
            m_tree->viewport()->setCursor(Qt::BusyCursor);
        else
            m_tree->viewport()->unsetCursor();
    });

    m_connector = std::make_unique<RootConnector>(services.connections, services.messages);
    if (!root.connectFirst) {
        openRoot();
        return;
    }
    // The root already names the share; it is read once the connection has
    // been tried, whether or not it succeeded (a failure has been shown).
    setConnecting(true);
    connect(m_connector.get(), &RootConnector::finished, this, [this] {
        setConnecting(false);
        openRoot();
    });
    m_connector->start(session);
}

bool CBrowseDlg::isConnecting() const
{
    return m_connector && m_connector->isConnecting();
}

void CBrowseDlg::setConnecting(bool connecting)
{
    m_ok->setEnabled(!connecting);
    m_tree->setEnabled(!connecting);
    if (connecting)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CBrowseDlg::openRoot()
{
    const QModelIndex root = m_model->rootItem();
    m_tree->expand(root);
    m_tree->setCurrentIndex(root);
    m_tree->setFocus();
}

void CBrowseDlg::OnItemRead(const QModelIndex& item, int count)
{
    // A folder without subfolders (or one that cannot be listed) does not open.
    if (count == 0)
        m_tree->collapse(item);
}

void CBrowseDlg::accept()
{
    if (isConnecting())
        return; // nothing to choose from yet
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    m_resultPath = selected.isEmpty() ? QString() : m_model->path(selected.first());
    QDialog::accept();
}

void CBrowseDlg::done(int result)
{
    if (m_connector)
        m_connector->abandon();
    QDialog::done(result);
}

} // namespace tarvo
