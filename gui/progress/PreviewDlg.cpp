#include "gui/progress/PreviewDlg.h"

#include "core/transfer/PreviewMessages.h"
#include "core/transfer/TransferJob.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tarvo {

namespace {

constexpr int PreferredCharacters = 120;
constexpr int PreferredRows = 14;

// The plan as the table draws it: a file that the send deletes, in bold red.
class HighlightedPlan : public QIdentityProxyModel
{
public:
    HighlightedPlan(RunPlanModel& plan, QObject* parent)
        : QIdentityProxyModel(parent)
        , m_plan(plan)
    {
        setSourceModel(&plan);
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.isValid() && m_plan.deletes(index.row())) {
            if (role == Qt::ForegroundRole)
                return QColor(Qt::red);
            if (role == Qt::FontRole) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    RunPlanModel& m_plan;
};

} // namespace

CPreviewDlg::CPreviewDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                         QWidget* parent)
    : QDialog(parent)
    , m_messages(new PreviewMessages)
{
    params.dryRun = true;
    m_job = std::make_unique<TransferJob>(
        std::move(params), files, connections, *m_messages,
        TransferJob::Handlers{{},
                              [this](const RunAction& action) {
                                  m_model.add(action);
                                  showCounts();
                              },
                              [this](const RunSummary& summary) { planEnded(summary); }});
    createControls();
}

CPreviewDlg::~CPreviewDlg()
{
    if (m_job->isRunning()) {
        // Held up by a server that stopped answering: it ends on its own,
        // and takes its messages with it.
        PreviewMessages* messages = m_messages;
        TransferJob* job = m_job.release();
        connect(job, &QObject::destroyed, [messages] { delete messages; });
        job->deleteWhenEnded();
    } else {
        m_job.reset();
        delete m_messages;
    }
}

bool CPreviewDlg::isPlanning() const
{
    return !m_ended;
}

void CPreviewDlg::createControls()
{
    setWindowTitle(QStringLiteral("Preview"));
    m_counts = new QLabel(QStringLiteral("Planning ..."), this);
    m_counts->setObjectName(QStringLiteral("counts"));
    m_counts->setTextFormat(Qt::PlainText);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("plan"));
    m_table->setModel(new HighlightedPlan(m_model, m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);

    m_notes = new QListWidget(this);
    m_notes->setObjectName(QStringLiteral("notes"));
    // A few lines: the plan is what the dialog is for.
    m_notes->setMaximumHeight(m_notes->fontMetrics().lineSpacing() * 4 + 2 * m_notes->frameWidth() +
                              4);
    m_notes->hide();

    auto* buttons = new QDialogButtonBox(this);
    m_send = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::AcceptRole);
    m_send->setObjectName(QStringLiteral("send"));
    m_send->setEnabled(false);
    m_close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPreviewDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_counts);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_notes);
    layout->addWidget(buttons);

    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * PreferredCharacters,
           metrics.lineSpacing() * (PreferredRows + 8));
}

void CPreviewDlg::showEvent(QShowEvent* event)
{
    m_job->start(); // once: a second start does nothing
    QDialog::showEvent(event);
}

void CPreviewDlg::reject()
{
    m_job->cancel();
    QDialog::reject();
}

void CPreviewDlg::showCounts()
{
    const QString counts = m_model.plan().countsText();
    m_counts->setText(m_ended ? counts : QStringLiteral("Planning ... ") + counts);
}

void CPreviewDlg::planEnded(const RunSummary& summary)
{
    m_ended = true;
    showCounts();
    QStringList notes = m_messages->messages();
    if (const int questions = m_messages->questions())
        notes.append(questions == 1
                         ? QStringLiteral("The send will ask 1 question; it was answered yes here.")
                         : QStringLiteral("The send will ask %1 questions; they were answered yes "
                                          "here.")
                               .arg(questions));
    if (!summary.failure.isEmpty())
        notes.append(summary.failureText());
    for (const QString& note : std::as_const(notes))
        m_notes->addItem(note.simplified());
    m_notes->setVisible(!notes.isEmpty());
    m_table->resizeColumnsToContents();
    m_send->setEnabled(true);
    m_send->setDefault(true);
}

} // namespace tarvo
