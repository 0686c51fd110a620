#pragma once

#include "platform/MessageService.h"
#include "tests/support/QtPrinters.h"

#include <functional>
#include <QList>
#include <QMutex>
#include <QString>

namespace tarvo::test {

// A MessageService that records every message and question and answers them
// from queues that the test fills. Without a scripted answer, messages are
// answered with defaultResult and replace questions with defaultReplace.
class ScriptedMessageService : public MessageService
{
public:
    struct Shown
    {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };
    struct Asked
    {
        ReplaceFile existing;
        ReplaceFile incoming;
    };

    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override;
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;

    void answerNext(MessageResult result);
    void answerNextReplace(ReplaceReply reply);

    QList<Shown> messages() const;
    QStringList texts() const;
    QList<Asked> replaceQuestions() const;
    int waitCursorDepth() const;
    int waitCursorCount() const;
    void clear();

    MessageResult defaultResult = MessageResult::Ok;
    // Called with each message before it is answered, on the asking thread.
    std::function<void(const QString&)> onMessage;
    ReplaceReply defaultReplace{false, ReplaceAsk};

private:
    mutable QMutex m_mutex;
    QList<Shown> m_shown;
    QList<Asked> m_asked;
    QList<MessageResult> m_answers;
    QList<ReplaceReply> m_replaceAnswers;
    int m_waitDepth = 0;
    int m_waitCount = 0;
};

} // namespace tarvo::test
