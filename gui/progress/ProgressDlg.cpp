#include "gui/progress/ProgressDlg.h"

#include "core/transfer/TransferJob.h"
#include "gui/widgets/DialogLayout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace tarvo {

namespace {

QLabel* addLabel(QWidget* parent, const DialogUnits& du, const QString& name, const QString& text,
                 QRect rect)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(du.rect(rect.x(), rect.y(), rect.width(), rect.height()));
    return label;
}

} // namespace

CProgressDlg::CProgressDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                           MessageService& messages, FileIconLookup icons, QWidget* parent)
    : QDialog(parent)
    , m_job(std::make_unique<TransferJob>(std::move(params), files, connections, messages))
    , m_icons(std::move(icons))
{
    createControls();
    connect(m_job.get(), &TransferJob::sessionStarted, this, &CProgressDlg::showSession,
            Qt::QueuedConnection);
    connect(m_job.get(), &TransferJob::fileShown, this, &CProgressDlg::showFile,
            Qt::QueuedConnection);
    connect(m_job.get(), &TransferJob::positionChanged, m_bar, &QProgressBar::setValue,
            Qt::QueuedConnection);
    connect(m_job.get(), &TransferJob::runFinished, this, &CProgressDlg::showRunEnd,
            Qt::QueuedConnection);
    // Done appears once the thread has ended, so nothing ever waits for it.
    connect(m_job.get(), &TransferJob::ended, this, &CProgressDlg::showSummary,
            Qt::QueuedConnection);
    connect(m_done, &QPushButton::clicked, this, &CProgressDlg::OnDone);
}

CProgressDlg::~CProgressDlg() = default; // the job waits for its run

void CProgressDlg::createControls()
{
    setWindowTitle(QStringLiteral("Progress"));
    const DialogUnits du = DialogUnitsOf(*this);
    setFixedSize(du.x(138), du.y(160));

    addLabel(this, du, QStringLiteral("heading"), QStringLiteral("Transferring file ..."),
             {7, 5, 124, 8});
    m_icon = addLabel(this, du, QStringLiteral("icon"), QString(), {7, 17, 21, 20});
    m_icon->setPixmap(ProgramIcon().pixmap(32, 32));

    const QRect labels[] = {{30, 17, 34, 8}, {30, 27, 34, 8}, {30, 37, 34, 8},
                            {7, 50, 30, 8},  {7, 60, 30, 8},  {7, 70, 30, 8}};
    const char* const captions[] = {"File:", "Size:", "Modified:", "From:", "To:", "Session:"};
    for (int i = 0; i < 6; ++i)
        addLabel(this, du, QString(), QString::fromLatin1(captions[i]), labels[i]);

    // The texts start empty; the template's placeholders are never shown.
    m_file = addLabel(this, du, QStringLiteral("file"), QString(), {64, 17, 70, 8});
    m_size = addLabel(this, du, QStringLiteral("size"), QString(), {64, 27, 70, 8});
    m_modified = addLabel(this, du, QStringLiteral("modified"), QString(), {64, 37, 70, 8});
    m_from = addLabel(this, du, QStringLiteral("from"), QString(), {38, 50, 94, 8});
    m_to = addLabel(this, du, QStringLiteral("to"), QString(), {38, 60, 94, 8});
    m_session = addLabel(this, du, QStringLiteral("session"), QString(), {38, 70, 94, 8});
    m_progressLine = addLabel(this, du, QStringLiteral("progressLine"),
                              QStringLiteral("Transferring file ..."), {7, 86, 124, 8});

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setGeometry(du.rect(7, 97, 124, 10));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_summary =
        addLabel(this, du, QStringLiteral("summary"),
                 QStringLiteral("All files are transferred successfully"), {7, 114, 124, 16});
    m_summary->setWordWrap(true);
    m_summary->hide();

    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("done"));
    m_done->setGeometry(du.rect(44, 138, 50, 14));
    m_done->hide();
}

void CProgressDlg::showEvent(QShowEvent* event)
{
    if (!m_started)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CProgressDlg::OnInitDialog()
{
    m_started = true;
    m_running = true;
    m_bar->setValue(0);
    m_job->start();
}

void CProgressDlg::showSession(const QString& name)
{
    m_session->setText(name);
}

void CProgressDlg::showFile(const ShownFile& file)
{
    m_file->setText(file.fileName);
    m_size->setText(file.sizeText);
    m_modified->setText(file.modifiedText);
    m_from->setText(file.sourceFolder);
    m_to->setText(file.targetFolder);
    m_icon->setPixmap(m_icons(file.sourcePath()).pixmap(32, 32));
    m_progressLine->setText(file.progressLine);
}

void CProgressDlg::showRunEnd(const RunSummary& summary)
{
    // The count of failed post-operations, when any, follows the count of files.
    m_summary->setText(summary.lines().join(u'\n'));
}

void CProgressDlg::showSummary()
{
    m_running = false;
    m_done->show();
    m_summary->show();
    m_done->setDefault(true);
    m_done->setFocus();
}

void CProgressDlg::OnDone()
{
    accept();
}

void CProgressDlg::accept()
{
    if (!m_running)
        QDialog::accept();
}

void CProgressDlg::reject()
{
    if (!m_running)
        QDialog::reject();
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

} // namespace tarvo
