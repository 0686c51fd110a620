#include "gui/progress/ProgressDlg.h"

#include "core/record/RunLog.h"
#include "core/transfer/ProgressTexts.h"
#include "core/transfer/RunEndNotice.h"
#include "core/transfer/TransferJob.h"
#include "gui/widgets/ElidedLabel.h"
#include "platform/DesktopNotifier.h"

#include <initializer_list>
#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace tarvo {

namespace {

// Room for about this many average characters across: a path of a usual
// depth shows whole at first, and a longer one loses its middle.
constexpr int PreferredCharacters = 72;
constexpr int FailureLines = 6;
constexpr int IconSize = 32;

// A label that keeps the height of a line of text while it is still empty,
// so that the dialog does not jump when the first file is shown.
template <typename Label> Label* addLabel(QWidget* parent, const char* name)
{
    auto* label = new Label(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setMinimumHeight(label->fontMetrics().height());
    return label;
}

// A label for a text that is there from the start, one line or more.
QLabel* addLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* addCaption(QWidget* parent, const char* text)
{
    auto* caption = new QLabel(QLatin1String(text), parent);
    caption->setTextFormat(Qt::PlainText);
    return caption;
}

// Captions in the first column, each beside its text, which takes the width left.
QGridLayout* captionedRows(QWidget* parent,
                           std::initializer_list<std::pair<const char*, QWidget*>> rows)
{
    auto* grid = new QGridLayout;
    int row = 0;
    for (const auto& [caption, text] : rows) {
        grid->addWidget(addCaption(parent, caption), row, 0);
        grid->addWidget(text, row++, 1);
    }
    grid->setColumnStretch(1, 1);
    return grid;
}

QString FailureCountText(int count)
{
    return count == 1 ? QStringLiteral("1 further failure was not shown as a box:")
                      : QStringLiteral("%1 further failures were not shown as boxes:").arg(count);
}

} // namespace

CProgressDlg::CProgressDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                           MessageService& messages, FileIconLookup icons, QWidget* parent,
                           const RunLog* log)
    : QDialog(parent)
    , m_job(std::make_unique<TransferJob>(
          std::move(params), files, connections, messages,
          TransferJob::Handlers{[this](const ShownFile& file) { showFile(file); },
                                [this](const RunAction& action) { m_actions.append(action); },
                                [this](const RunSummary& summary) {
                                    showRunEnd(summary);
                                    showSummary();
                                }},
          log))
    , m_log(log)
    , m_icons(std::move(icons))
{
    createControls();
    m_titles.add(this);
    connect(m_done, &QPushButton::clicked, this, &CProgressDlg::OnDone);
    connect(m_cancel, &QPushButton::clicked, this, &CProgressDlg::cancelRun);
    connect(m_detailsButton, &QPushButton::clicked, this, &CProgressDlg::toggleDetails);
    // The bar follows the bytes, which the copies count as they go.
    m_poll.setInterval(PollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &CProgressDlg::showProgress);
    m_stopWait.setSingleShot(true);
    m_stopWait.setInterval(StopWaitMilliseconds);
    connect(&m_stopWait, &QTimer::timeout, this, &CProgressDlg::letRunGo);
}

CProgressDlg::~CProgressDlg()
{
    // A run that was let go ends on its own; otherwise the job waits for it.
    if (m_job->isRunning())
        m_job.release()->deleteWhenEnded();
}

void CProgressDlg::showProgressInTitleOf(QWidget* window)
{
    m_titles.add(window);
}

void CProgressDlg::setNotifier(DesktopNotifier* notifier, std::chrono::milliseconds after)
{
    m_notifier = notifier;
    m_notifyAfter = after;
}

void CProgressDlg::createControls()
{
    setWindowTitle(QStringLiteral("Progress"));

    m_heading = addLabel(this, "heading", QStringLiteral("Transferring file ..."));
    QLabel* heading = m_heading;
    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(IconSize, IconSize);
    m_icon->setPixmap(ProgramIcon().pixmap(IconSize, IconSize));

    // The texts start empty; the template's placeholders are never shown.
    m_file = addLabel<ElidedLabel>(this, "file");
    m_size = addLabel<QLabel>(this, "size");
    m_modified = addLabel<QLabel>(this, "modified");
    auto* fileGrid =
        captionedRows(this, {{"File:", m_file}, {"Size:", m_size}, {"Modified:", m_modified}});
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_icon, 0, Qt::AlignTop);
    fileRow->addLayout(fileGrid, 1);

    m_from = addLabel<ElidedLabel>(this, "from");
    m_to = addLabel<ElidedLabel>(this, "to");
    m_session = addLabel<QLabel>(this, "session");
    auto* placeGrid =
        captionedRows(this, {{"From:", m_from}, {"To:", m_to}, {"Session:", m_session}});

    m_progressLine = addLabel(this, "progressLine", QStringLiteral("Transferring file ..."));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    // The current file's bytes on the left, the run's speed on the right.
    m_fileBytes = addLabel<QLabel>(this, "fileBytes");
    m_speed = addLabel<QLabel>(this, "speed");
    auto* bytesRow = new QHBoxLayout;
    bytesRow->addWidget(m_fileBytes);
    bytesRow->addStretch(1);
    bytesRow->addWidget(m_speed);

    m_summary = addLabel(this, "summary", QStringLiteral("All files are transferred successfully"));
    m_summary->hide();
    m_failureCount = addLabel(this, "failureCount", QString());
    m_failureCount->hide();
    m_failures = new QListWidget(this);
    m_failures->setObjectName(QStringLiteral("failures"));
    m_failures->setMinimumHeight(m_failures->fontMetrics().lineSpacing() * FailureLines);
    m_failures->hide();

    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("detailsText"));
    m_details->setReadOnly(true);
    m_details->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_details->setMinimumHeight(m_details->fontMetrics().lineSpacing() * FailureLines);
    m_details->hide();
    m_detailsButton = new QPushButton(QStringLiteral("&Details"), this);
    m_detailsButton->setObjectName(QStringLiteral("details"));
    m_detailsButton->setAutoDefault(false);
    m_detailsButton->setToolTip(QStringLiteral("What this run did to each file"));
    m_detailsButton->hide();

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    // Enter must not stop a run by chance; Cancel takes a click or Space.
    m_cancel->setAutoDefault(false);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("done"));
    m_done->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_done);
    buttons->addWidget(m_detailsButton);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(fileRow);
    layout->addLayout(placeGrid);
    layout->addSpacing(heading->fontMetrics().height() / 2);
    layout->addWidget(m_progressLine);
    layout->addWidget(m_bar);
    layout->addLayout(bytesRow);
    layout->addWidget(m_summary);
    layout->addWidget(m_failureCount);
    layout->addWidget(m_failures, 1);
    layout->addWidget(m_details, 1);
    layout->addStretch(0);
    layout->addLayout(buttons);

    const int preferredWidth = fontMetrics().averageCharWidth() * PreferredCharacters;
    resize(qMax(sizeHint().width(), preferredWidth), sizeHint().height());
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
    m_runClock.start();
    m_job->start();
    m_poll.start();
}

void CProgressDlg::showFile(const ShownFile& file)
{
    m_session->setText(file.session);
    m_file->setFullText(file.fileName);
    m_size->setText(file.sizeText);
    m_modified->setText(file.modifiedText);
    m_from->setFullText(file.sourceFolder);
    m_to->setFullText(file.targetFolder);
    m_icon->setPixmap(m_icons(file.sourcePath()).pixmap(IconSize, IconSize));
    m_progressLine->setText(file.progressLine);
    showProgress();
}

void CProgressDlg::showProgress()
{
    // Once the user has stopped the run, the bar stays where it was stopped.
    if (m_stopping)
        return;
    const ProgressSnapshot shot = m_job->progress();
    m_bar->setValue(shot.percent());
    if (m_running)
        m_titles.show(shot.percent());
    if (shot.fileNumber > 0)
        m_fileBytes->setText(
            QStringLiteral("This file: ") + BytesOfText(shot.fileDone, shot.fileSize) +
            (shot.fileResumedAt
                 ? QStringLiteral(", ") + ResumingText(shot.fileResumedAt, shot.fileSize)
                 : QString()));
    m_rate.add(TransferRate::Clock::now(), shot.bytesDone - shot.bytesResumed);
    if (m_running)
        m_speed->setText(m_rate.text(shot.bytesTotal - shot.bytesDone));
}

void CProgressDlg::cancelRun()
{
    if (!m_running || m_stopping)
        return;
    m_job->cancel();
    m_stopping = true;
    m_cancel->setEnabled(false);
    m_speed->setText(QStringLiteral("Stopping the run ..."));
    m_stopWait.start();
}

void CProgressDlg::letRunGo()
{
    if (!m_running)
        return;
    m_letGo = true;
    const RunSummary summary = m_job->summary();
    m_summary->setText(summary.lines().join(u'\n'));
    m_cancelled = summary.cancelled;
    tellDesktop(summary);
    showSummary();
}

void CProgressDlg::listFailure(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* item = new QListWidgetItem(shown, m_failures);
    item->setToolTip(shown);
    m_failures->scrollToItem(item);
    m_failureCount->setText(FailureCountText(m_failures->count()));
    m_failureCount->show();
    m_failures->show();
}

void CProgressDlg::showRunEnd(const RunSummary& summary)
{
    if (m_letGo)
        return; // what the run did was shown when it was let go
    // The count of failed post-operations, and a stop, follow the count of files.
    m_summary->setText(summary.lines().join(u'\n'));
    m_cancelled = summary.cancelled;
    tellDesktop(summary);
}

void CProgressDlg::tellDesktop(const RunSummary& summary)
{
    if (!m_running || !m_notifier)
        return;
    // A window of the program in front shows the summary itself.
    if (m_runClock.elapsed() >= m_notifyAfter.count() && QApplication::activeWindow() == nullptr)
        m_notifier->notify(RunEndNotice(summary));
}

void CProgressDlg::showSummary()
{
    if (!m_running)
        return;
    showProgress();
    m_poll.stop();
    m_stopWait.stop();
    m_running = false;
    m_titles.restore();
    m_heading->setText(m_cancelled ? QStringLiteral("Transfer cancelled")
                                   : QStringLiteral("Transfer finished"));
    // A question about a run that has ended asks nothing any more.
    if (m_question)
        m_question->done(QMessageBox::No);
    m_speed->clear();
    m_cancel->hide();
    m_done->show();
    m_detailsButton->show();
    m_summary->show();
    m_done->setDefault(true);
    m_done->setFocus();
}

void CProgressDlg::toggleDetails()
{
    if (m_details->isVisible()) {
        m_details->hide();
        return;
    }
    QString text = RecordDetailsText(m_job->recordLines());
    if (const QString error = m_job->recordError(); !error.isEmpty())
        text += QStringLiteral("\n\nThe run record could not be written: ") + error;
    else if (m_log)
        text += QStringLiteral("\n\nKept in ") + m_log->filePath();
    m_details->setPlainText(text);
    m_details->show();
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
    if (!m_running) {
        QDialog::reject();
        return;
    }
    if (m_stopping || m_question)
        return;
    QMessageBox question(QMessageBox::Question, QStringLiteral("Tarvo"),
                         QStringLiteral("Cancel the run? The copy of the current file is "
                                        "abandoned, and the files after it are not started."),
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setDefaultButton(QMessageBox::No);
    m_question = &question;
    const int answer = question.exec();
    m_question = nullptr;
    if (answer == QMessageBox::Yes)
        cancelRun();
}

} // namespace tarvo
