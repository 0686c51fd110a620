#include "core/transfer/PreviewMessages.h"

namespace tarvo {

MessageResult PreviewMessages::showMessage(const QString& text, MessageIcon icon,
                                           MessageButtons buttons)
{
    Q_UNUSED(icon);
    std::lock_guard lock(m_mutex);
    if (buttons == MessageButtons::OkCancel) {
        ++m_questions;
        return MessageResult::Ok;
    }
    m_messages.append(text);
    return MessageResult::Ok;
}

ReplaceReply PreviewMessages::confirmReplace(const ReplaceFile&, const ReplaceFile&)
{
    std::lock_guard lock(m_mutex);
    ++m_questions;
    return {true, ReplaceYes};
}

QStringList PreviewMessages::messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

int PreviewMessages::questions() const
{
    std::lock_guard lock(m_mutex);
    return m_questions;
}

} // namespace tarvo
