#pragma once

#include "core/transfer/TransferRate.h"
#include "core/transfer/TransferRun.h"
#include "gui/progress/TransferIcons.h"

#include <memory>
#include <QDialog>
#include <QTimer>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace tarvo {

class ElidedLabel;
class TransferJob;
struct ShownFile;

// "Progress": shows a transfer run while its worker goes through the
// sessions, then the summary and Done. The bar follows the bytes of the
// whole run; under it stand the current file's bytes, the speed and the
// time left. Cancel stops the run; Escape and the close box ask whether to.
// Once the run has ended Done closes the dialog with OK.
class CProgressDlg : public QDialog
{
    Q_OBJECT

public:
    // How often the bar, the bytes and the speed are brought up to date.
    static constexpr int PollMilliseconds = 250;

    CProgressDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                 MessageService& messages, FileIconLookup icons = DefaultFileIcon,
                 QWidget* parent = nullptr);
    ~CProgressDlg() override;

    bool isRunning() const { return m_running; }

    // Stops the run: the copy under way is abandoned, leaving its target as
    // it was, and no further file starts. The summary then follows.
    void cancelRun();

    // A failure of the run that was not shown as a box: listed, and
    // counted, under the summary.
    void listFailure(const QString& text);

public slots:
    void accept() override;
    // During the run: asks whether to cancel it (Escape, the close box).
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Starts the worker; called once, before the dialog is first painted.
    void OnInitDialog();
    void OnDone();
    void createControls();

    void showSession(const QString& name);
    void showFile(const ShownFile& file);
    void showProgress();
    void showRunEnd(const RunSummary& summary);
    void showSummary();

    std::unique_ptr<TransferJob> m_job;
    FileIconLookup m_icons;
    TransferRate m_rate;
    QTimer m_poll;
    bool m_started = false;
    bool m_running = false;
    bool m_stopping = false;

    QLabel* m_icon = nullptr;
    ElidedLabel* m_file = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_modified = nullptr;
    ElidedLabel* m_from = nullptr;
    ElidedLabel* m_to = nullptr;
    QLabel* m_session = nullptr;
    QLabel* m_progressLine = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_fileBytes = nullptr;
    QLabel* m_speed = nullptr;
    QLabel* m_summary = nullptr;
    QLabel* m_failureCount = nullptr;
    QListWidget* m_failures = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace tarvo
