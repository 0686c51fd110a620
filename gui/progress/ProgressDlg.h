#pragma once

#include "core/transfer/TransferRun.h"
#include "gui/progress/TransferIcons.h"

#include <memory>
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvo {

class TransferJob;
struct ShownFile;

// "Progress": shows a transfer run while its worker goes through the
// sessions, then the summary and Done. While the run goes on the dialog
// cannot be closed (close box, Escape, Enter); Done ends it with OK.
class CProgressDlg : public QDialog
{
    Q_OBJECT

public:
    CProgressDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                 MessageService& messages, FileIconLookup icons = DefaultFileIcon,
                 QWidget* parent = nullptr);
    ~CProgressDlg() override;

    bool isRunning() const { return m_running; }

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Starts the worker; called once, before the dialog is first painted.
    void OnInitDialog();
    void OnDone();
    void createControls();

    void showSession(const QString& name);
    void showFile(const ShownFile& file);
    void showRunEnd(const RunSummary& summary);
    void showSummary();

    std::unique_ptr<TransferJob> m_job;
    FileIconLookup m_icons;
    bool m_started = false;
    bool m_running = false;

    QLabel* m_icon = nullptr;
    QLabel* m_file = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_modified = nullptr;
    QLabel* m_from = nullptr;
    QLabel* m_to = nullptr;
    QLabel* m_session = nullptr;
    QLabel* m_progressLine = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_summary = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace tarvo
