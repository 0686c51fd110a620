#pragma once

#include "core/transfer/TransferRate.h"
#include "core/transfer/TransferRun.h"
#include "gui/progress/ProgressTitles.h"
#include "gui/progress/TransferIcons.h"

#include <chrono>
#include <memory>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

class QLabel;
class QMessageBox;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace tarvo {

class DesktopNotifier;
class ElidedLabel;
class RunLog;
class TransferJob;
struct ShownFile;

// "Progress": shows a transfer run while its worker goes through the
// sessions, then the summary and Done. The file, its session and the count
// shown are those of the file being copied. The bar follows the bytes of the
// whole run; under it stand the current file's bytes, the speed and the
// time left. Cancel stops the run; Escape and the close box ask whether to.
// Once the run has ended the heading says so, and Done closes the dialog
// with OK. A run that a stop cannot end at once (its server stopped
// answering) is let go after a moment: the summary then says what it did,
// and the run ends on its own, unseen.
//
// For a user who works in another program meanwhile, the dialog's title (and
// the main window's, when it is given one) shows the bar's percentage while
// the run goes on, and a long run that ends while none of the program's
// windows is active is told on the desktop.
class CProgressDlg : public QDialog
{
    Q_OBJECT

public:
    // How often the bar, the bytes and the speed are brought up to date.
    static constexpr int PollMilliseconds = 250;
    // How long a stopped run may take to end before the dialog lets it go.
    static constexpr int StopWaitMilliseconds = 1000;
    // A run that lasted this long may well have sent the user elsewhere: its
    // end is told on the desktop when the program is in the background.
    static constexpr std::chrono::seconds LongRun{5};

    CProgressDlg(TransferParams params, FileSystem& files, ShareConnections& connections,
                 MessageService& messages, FileIconLookup icons = DefaultFileIcon,
                 QWidget* parent = nullptr, const RunLog* log = nullptr);
    ~CProgressDlg() override;

    bool isRunning() const { return m_running; }

    // The window whose title, too, shows how far the run has come: the main
    // window, which a task bar shows. Its title comes back when the run ends.
    void showProgressInTitleOf(QWidget* window);
    // Where the end of a run that lasted at least `after` is told, when no
    // window of the program is active then; by default nowhere.
    void setNotifier(DesktopNotifier* notifier, std::chrono::milliseconds after = LongRun);

    // Stops the run: the copy under way is abandoned, leaving its target as
    // it was, and no further file starts. The summary then follows.
    void cancelRun();

    // A failure of the run that was not shown as a box: listed, and
    // counted, under the summary.
    void listFailure(const QString& text);

    // What the run did to each file so far, in run order.
    const QList<RunAction>& actions() const { return m_actions; }

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

    void showFile(const ShownFile& file);
    void showProgress();
    void showRunEnd(const RunSummary& summary);
    void showSummary();
    // The stopped run did not end in time: what it did is shown, and the
    // dialog no longer waits for it.
    void letRunGo();
    // Shows or hides this run's record under the summary.
    void toggleDetails();
    // Tells the desktop how the run ended when the user is likely elsewhere.
    void tellDesktop(const RunSummary& summary);

    std::unique_ptr<TransferJob> m_job;
    const RunLog* m_log;
    QList<RunAction> m_actions;
    FileIconLookup m_icons;
    TransferRate m_rate;
    ProgressTitles m_titles;
    DesktopNotifier* m_notifier = nullptr;
    std::chrono::milliseconds m_notifyAfter = LongRun;
    QElapsedTimer m_runClock;
    QTimer m_poll;
    QTimer m_stopWait;
    bool m_started = false;
    bool m_running = false;
    bool m_stopping = false;
    bool m_letGo = false;
    bool m_cancelled = false;
    QPointer<QMessageBox> m_question; // "Cancel the run?" while it stands

    QLabel* m_heading = nullptr;
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
    QPlainTextEdit* m_details = nullptr;
    QPushButton* m_detailsButton = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_done = nullptr;
};

} // namespace tarvo
