#include "gui/main/SendDlg.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/filelist/FileListRefresher.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/widgets/DialogLayout.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace tarvo {

namespace {

// The dialog's size in dialog units: the controls' table fills 138 x 150.
constexpr int DialogWidth = 138;
constexpr int DialogHeight = 150;

DialogUnits UnitsFor(const QFont& font)
{
    const QFontMetrics metrics(font);
    int averageWidth = DialogUnitsOf(font).x(4);

    // Fonts wider than the average suggests would cut the fixed texts: the
    // units grow until each fits the width that the table gives it.
    static constexpr struct
    {
        const char* text;
        int width;  // dialog units
        int margin; // pixels around the text
    } Texts[] = {{"Session:", 27, 1}, {"Path:", 18, 1},   {"Send", 45, 8}, {"Receive", 45, 8},
                 {"Option", 29, 8},   {"Refresh", 32, 8}, {"Exit", 17, 8}};
    for (const auto& fixed : Texts) {
        const int pixels = metrics.horizontalAdvance(QLatin1String(fixed.text)) + fixed.margin;
        averageWidth = qMax(averageWidth, (pixels * 4 + fixed.width - 1) / fixed.width);
    }
    return DialogUnits(averageWidth, metrics.height());
}

} // namespace

CSendDlg::CSendDlg(CSendApp& app, Handlers handlers, QWidget* parent)
    : QDialog(parent)
    , m_app(app)
    , m_handlers(std::move(handlers))
    , m_sessionLabel(new QLabel(QStringLiteral("Session:"), this))
    , m_sessionBox(new QComboBox(this))
    , m_selectAllButton(addButton(QStringLiteral("A"), "selectAllButton"))
    , m_invertButton(addButton(QStringLiteral("I"), "invertButton"))
    , m_pathLabel(new QLabel(QStringLiteral("Path:"), this))
    , m_pathBox(new QLineEdit(this))
    , m_browseButton(addButton(QStringLiteral("..."), "browseButton"))
    , m_fileList(new CFileListCtrl(m_listModel, this))
    , m_sendButton(addButton(QStringLiteral("Send"), "sendButton"))
    , m_optionButton(addButton(QStringLiteral("Option"), "optionButton"))
    , m_refreshButton(addButton(QStringLiteral("Refresh"), "refreshButton"))
    , m_exitButton(addButton(QStringLiteral("Exit"), "exitButton"))
    , m_refresher(new FileListRefresher(m_listModel, app.refreshServices(), this))
{
    setWindowTitle(QStringLiteral("Tarvo"));
    setObjectName(QStringLiteral("sendDialog"));
    m_sessionBox->setObjectName(QStringLiteral("sessionBox"));
    m_sessionBox->setEditable(true);
    m_sessionBox->setInsertPolicy(QComboBox::NoInsert);
    m_pathBox->setObjectName(QStringLiteral("pathBox"));
    m_fileList->setObjectName(QStringLiteral("fileList"));
    m_sessionLabel->setBuddy(m_sessionBox);
    m_pathLabel->setBuddy(m_pathBox);
    // Enter in the Path box must not press a button and close the window.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    connect(m_browseButton, &QPushButton::clicked, this, &CSendDlg::OnBrowse);
    connect(m_optionButton, &QPushButton::clicked, this, &CSendDlg::OnOption);
    connect(m_sendButton, &QPushButton::clicked, this, &CSendDlg::OnSend);
    connect(m_refreshButton, &QPushButton::clicked, this, &CSendDlg::OnRefresh);
    connect(m_selectAllButton, &QPushButton::clicked, this, &CSendDlg::OnSelectAll);
    connect(m_invertButton, &QPushButton::clicked, this, &CSendDlg::OnInvert);
    connect(m_exitButton, &QPushButton::clicked, this, &CSendDlg::reject);
    connect(m_sessionBox, &QComboBox::activated, this, &CSendDlg::OnSelChangeSession);
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

QPushButton* CSendDlg::addButton(const QString& text, const char* objectName)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

void CSendDlg::OnInitDialog()
{
    m_optionButton->setVisible(m_app.settings().EnableOption);
    // Features that are not plugged in leave their buttons in place, inactive.
    m_sendButton->setEnabled(bool(m_handlers.send));
    m_optionButton->setEnabled(bool(m_handlers.option));
    m_browseButton->setEnabled(bool(m_handlers.browse));

    setWindowIcon(m_app.appIcon());
    const DialogUnits units = UnitsFor(font());
    resize(units.x(DialogWidth), units.y(DialogHeight));
    setMinimumSize(size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    placeControls();

    m_fileList->SetImageLists(&m_app.systemSmallIcons(), &m_app.systemLargeIcons());
    m_fileList->CreateColumns();
    UpdateForFirstSession();
    StartRefresh();
    m_fileList->setFocus();
}

void CSendDlg::placeControls()
{
    const DialogUnits units = UnitsFor(font());
    // The window grows below and to the right of the table's 138 x 150 units:
    // the list takes the extra room, the bottom buttons keep their distance to the bottom.
    const int extraWidth = width() - units.x(DialogWidth);
    const int extraHeight = height() - units.y(DialogHeight);
    const auto place = [&](QWidget* control, int x, int y, int w, int h) {
        control->setGeometry(units.rect(x, y, w, h));
    };
    const auto placeBottom = [&](QWidget* control, int x, int y, int w, int h) {
        control->setGeometry(units.rect(x, y, w, h).translated(0, extraHeight));
    };

    place(m_sessionLabel, 2, 5, 27, 8);
    m_sessionBox->setGeometry(units.x(29), units.y(3), units.x(72),
                              qMax(units.y(12), m_sessionBox->sizeHint().height()));
    place(m_selectAllButton, 104, 3, 14, 12);
    place(m_invertButton, 121, 3, 14, 12);
    place(m_pathLabel, 10, 20, 18, 8);
    place(m_pathBox, 29, 19, 89, 13);
    place(m_browseButton, 121, 19, 14, 13);
    m_fileList->setGeometry(
        units.rect(0, 35, DialogWidth, 97).adjusted(0, 0, extraWidth, extraHeight));
    placeBottom(m_sendButton, 2, 136, 45, 14);
    placeBottom(m_optionButton, 54, 136, 29, 14);
    placeBottom(m_refreshButton, 85, 136, 32, 14);
    placeBottom(m_exitButton, 119, 136, 17, 14);
}

void CSendDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeControls();
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

void CSendDlg::SetSendLabel(int direction)
{
    m_sendButton->setText(direction == DirectionGet ? QStringLiteral("Receive")
                                                    : QStringLiteral("Send"));
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
    const QString line = settings.Sessions[name];
    SetSendLabel(SessionDirection(line));
    m_pathBox->setText(SessionSourceFolder(name, line));
    FillSessionCombo(name);
}

void CSendDlg::OnSelChangeSession()
{
    const QString name = SessionText();
    const QString line = m_app.settings().Sessions[name];
    m_pathBox->setText(SessionSourceFolder(name, line));
    SetSendLabel(SessionDirection(line));
    update();
}

void CSendDlg::OnRefresh()
{
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

void CSendDlg::done(int result)
{
    m_refresher->stop();
    QDialog::done(result);
}

} // namespace tarvo
