#include "ui/GuiMessageService.h"

#include <QGuiApplication>
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

template <typename Work> void GuiMessageService::onGuiThread(Work work, bool wait)
{
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(work),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

MessageResult GuiMessageService::showMessage(const QString& text, MessageIcon icon,
                                             MessageButtons buttons)
{
    MessageResult result = MessageResult::Cancel;
    onGuiThread([&] { result = showHere(text, icon, buttons); }, true);
    return result;
}

MessageResult GuiMessageService::showHere(const QString& text, MessageIcon icon,
                                          MessageButtons buttons)
{
    QMessageBox box(BoxIcon(icon), QStringLiteral("Tarvo"), text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    m_window);
    box.setDefaultButton(QMessageBox::Ok);
    // The wait cursor of a running job must not hide the arrow over the box.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = box.exec();
    QGuiApplication::restoreOverrideCursor();
    return pressed == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

ReplaceReply GuiMessageService::confirmReplace(const QString& existingPath, const QString& newPath)
{
    ReplaceReply reply;
    onGuiThread(
        [&] {
            if (m_replaceDialog)
                reply = m_replaceDialog(existingPath, newPath);
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
