#include "gui/main/GuiMessageService.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QThread>

namespace tarvo {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

GuiMessageService::GuiMessageService(QObject* parent)
    : QObject(parent)
{}

namespace {

// A worker's wait for work that it handed to the window's thread. Qt's
// blocking queued call would do the same, but it passes the work and its
// answer through a semaphore inside Qt, which ThreadSanitizer cannot see in
// Debian's Qt. Here a standard lock that it can see orders them: the worker
// holds the lock while it posts the call and gives it up only inside wait(),
// and the work runs under it.
class HandBack
{
public:
    std::unique_lock<std::mutex> hold() { return std::unique_lock(m_mutex); }
    void wait(std::unique_lock<std::mutex>& held)
    {
        m_condition.wait(held, [this] { return m_finished; });
    }

    template <typename Work> void run(Work& work)
    {
        std::lock_guard lock(m_mutex);
        work();
    }
    void finish()
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_condition.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_finished = false;
};

// Ends the worker's wait when the call has run, and also when it never runs
// because the service went away first and the call was destroyed unrun.
class FinishOnDestruction
{
public:
    explicit FinishOnDestruction(std::shared_ptr<HandBack> handBack)
        : m_handBack(std::move(handBack))
    {}
    FinishOnDestruction(FinishOnDestruction&&) = default;
    ~FinishOnDestruction()
    {
        if (m_handBack)
            m_handBack->finish();
    }

private:
    std::shared_ptr<HandBack> m_handBack;
};

} // namespace

template <typename Work> void GuiMessageService::onGuiThread(Work work, bool wait)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    if (!wait) {
        m_posted.post(std::move(work));
        return;
    }
    auto handBack = std::make_shared<HandBack>();
    std::unique_lock held = handBack->hold();
    m_posted.post(
        [&work, handBack, finish = FinishOnDestruction(handBack)] { handBack->run(work); });
    handBack->wait(held);
}

MessageResult GuiMessageService::showMessage(const QString& text, MessageIcon icon,
                                             MessageButtons buttons)
{
    MessageResult result = MessageResult::Cancel;
    onGuiThread([&] { result = showHere(text, icon, buttons); }, true);
    return result;
}

void GuiMessageService::beginRun(FailureList unshown)
{
    m_run = RunBoxes{true, 0, false, std::move(unshown)};
}

void GuiMessageService::endRun()
{
    m_run = RunBoxes{};
}

QWidget* GuiMessageService::boxParent() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_window;
}

MessageResult GuiMessageService::showHere(const QString& text, MessageIcon icon,
                                          MessageButtons buttons)
{
    const bool failure =
        m_run.active && icon == MessageIcon::Error && buttons == MessageButtons::Ok;
    if (failure && m_run.hidden) {
        if (m_run.unshown)
            m_run.unshown(text);
        return MessageResult::Ok;
    }
    QMessageBox box(BoxIcon(icon), QStringLiteral("Tarvo"), text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    boxParent());
    box.setDefaultButton(QMessageBox::Ok);
    if (failure && ++m_run.shown >= 2)
        box.setCheckBox(new QCheckBox(QStringLiteral("Don't show again in this run")));
    // The wait cursor of a running job must not hide the arrow over the box.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = box.exec();
    QGuiApplication::restoreOverrideCursor();
    if (box.checkBox() && box.checkBox()->isChecked())
        m_run.hidden = true;
    return pressed == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

ReplaceReply GuiMessageService::confirmReplace(const ReplaceFile& existing,
                                               const ReplaceFile& incoming)
{
    ReplaceReply reply;
    onGuiThread(
        [&] {
            if (m_replaceDialog)
                reply = m_replaceDialog(existing, incoming);
        },
        true);
    return reply;
}

void GuiMessageService::beginWaitCursor()
{
    onGuiThread([] { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }, false);
}

void GuiMessageService::endWaitCursor()
{
    onGuiThread([] { QGuiApplication::restoreOverrideCursor(); }, false);
}

} // namespace tarvo
