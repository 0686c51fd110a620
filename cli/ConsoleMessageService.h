#pragma once

#include "platform/MessageService.h"

#include <cstdio>
#include <QMutex>

namespace tarvo {

// Messages and questions on the terminal. Questions are answered by the user
// at the terminal, or for them by --yes (OK, Yes To All) and --no (Cancel,
// No To All); without a terminal the answer is Cancel / No.
class ConsoleMessageService : public MessageService
{
public:
    enum class Policy { Ask, Yes, No };

    explicit ConsoleMessageService(Policy policy = Policy::Ask, FILE* input = stdin,
                                   FILE* output = stderr);

    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override;
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override;

    // Whether questions can be put to a person at the terminal.
    bool interactive() const;

private:
    QString readAnswer(const QString& prompt);

    Policy m_policy;
    FILE* m_input;
    FILE* m_output;
    QMutex m_mutex; // one question at a time, whichever thread asks
};

} // namespace tarvo
