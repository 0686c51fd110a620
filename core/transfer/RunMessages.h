#pragma once

#include "platform/MessageService.h"

#include <stop_token>

namespace tarvo {

// A run's messages and questions: passed on until the run is stopped, then
// dropped. After a stop nothing is said or asked any more: a question would
// come back Cancel (or without an answer) at once, so nothing acts on it.
class RunMessages : public MessageService
{
public:
    RunMessages(MessageService& messages, std::stop_token stop)
        : m_messages(messages)
        , m_stop(std::move(stop))
    {}

    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override
    {
        if (m_stop.stop_requested())
            return MessageResult::Cancel;
        return m_messages.showMessage(text, icon, buttons);
    }
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override
    {
        if (m_stop.stop_requested())
            return {};
        return m_messages.confirmReplace(existing, incoming);
    }
    void beginWaitCursor() override { m_messages.beginWaitCursor(); }
    void endWaitCursor() override { m_messages.endWaitCursor(); }

private:
    MessageService& m_messages;
    const std::stop_token m_stop;
};

} // namespace tarvo
