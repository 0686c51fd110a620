#pragma once

#include "platform/MessageService.h"
#include "platform/PostedCalls.h"

#include <functional>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace tarvo {

// Message boxes and the wait cursor of the window. Callable from any thread:
// a worker's call hops to the window's thread and waits there for the answer;
// the window's thread itself never waits for a worker. Must be created on the
// window's thread.
class GuiMessageService : public QObject, public MessageService
{
    Q_OBJECT

public:
    // The dialog that asks "Confirm File Replace"; runs on the window's thread.
    using ReplaceDialog =
        std::function<ReplaceReply(const ReplaceFile& existing, const ReplaceFile& incoming)>;

    explicit GuiMessageService(QObject* parent = nullptr);

    // Message boxes are centred on this window while it exists, unless a
    // modal window (the Progress dialog) is open: then they stand on that
    // one, so that a box never raises the window beneath it.
    void setParentWindow(QWidget* window) { m_window = window; }

    // The failure boxes of one run (error messages with only OK). From the
    // run's second failure box on, the box offers "Don't show again in this
    // run"; once that is ticked, the run's later failures are handed to
    // `unshown` (on the window's thread) instead of being shown. Questions
    // are always asked. Called on the window's thread; a new run starts with
    // every box shown again, and endRun() shows them as usual after it.
    using FailureList = std::function<void(const QString& text)>;
    void beginRun(FailureList unshown);
    void endRun();

    // The transfer's replace question; without it the question ends unanswered.
    void setReplaceDialog(ReplaceDialog dialog) { m_replaceDialog = std::move(dialog); }

    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override;
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

private:
    // Runs work on the window's thread, waiting for it when called from elsewhere.
    template <typename Work> void onGuiThread(Work work, bool wait);

    MessageResult showHere(const QString& text, MessageIcon icon, MessageButtons buttons);
    QWidget* boxParent() const;

    // The run's failure boxes; touched on the window's thread only.
    struct RunBoxes
    {
        bool active = false;
        int shown = 0;
        bool hidden = false; // "Don't show again in this run" was ticked
        FailureList unshown;
    };

    QPointer<QWidget> m_window;
    RunBoxes m_run;
    ReplaceDialog m_replaceDialog;
    PostedCalls m_posted{this};
};

} // namespace tarvo
