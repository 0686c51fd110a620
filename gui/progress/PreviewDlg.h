#pragma once

#include "core/transfer/RunPlanModel.h"
#include "core/transfer/TransferRun.h"

#include <memory>
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTableView;

namespace tarvo {

class PreviewMessages;
class TransferJob;

// "Preview": what a send of the chosen rows would do, planned by a dry run
// on a worker while the dialog shows it: the counts per action on top, the
// plan as a table with the deletions standing out, and under it what the
// plan had to say. Send (OK) sends exactly those rows; Close leaves
// everything as it is. Nothing is asked while it plans: the questions that
// the send will ask are answered yes here, and counted.
class CPreviewDlg : public QDialog
{
    Q_OBJECT

public:
    CPreviewDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                QWidget* parent = nullptr);
    ~CPreviewDlg() override;

    bool isPlanning() const;
    const RunPlanModel& plan() const { return m_model; }

public slots:
    // Stops the planning first, when it still runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void showCounts();
    void planEnded(const RunSummary& summary);

    RunPlanModel m_model;
    // Outlives the dialog when a planning run held up by a server is let go.
    PreviewMessages* m_messages;
    std::unique_ptr<TransferJob> m_job;
    bool m_ended = false;

    QLabel* m_counts = nullptr;
    QTableView* m_table = nullptr;
    QListWidget* m_notes = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace tarvo
