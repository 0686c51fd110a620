#pragma once

#include "platform/MessageService.h"

#include <mutex>
#include <QStringList>

namespace tarvo {

// The messages of a preview: nothing is shown while it plans. Every question
// is answered yes, so the plan shows what the send does when the user
// agrees, and counted, so the preview can say that the send will ask; every
// other message is kept to be listed under the plan. Called from the
// planning run's thread.
class PreviewMessages : public MessageService
{
public:
    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override;
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override;

    QStringList messages() const;
    int questions() const;

private:
    mutable std::mutex m_mutex;
    QStringList m_messages;
    int m_questions = 0;
};

} // namespace tarvo
