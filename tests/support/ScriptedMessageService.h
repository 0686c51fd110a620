#pragma once

#include "platform/MessageService.h"
#include "tests/support/Locked.h"
#include "tests/support/QtPrinters.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <QStringList>

namespace tarvo::test {

// A MessageService that records every message and question and answers them
// from queues that the test fills. Without a scripted answer, a message is
// answered OK and a replace question is closed without a button.
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
                              MessageButtons buttons) override
    {
        if (onMessage)
            onMessage(text);
        Lock lock(m_mutex);
        m_shown.append({text, icon, buttons});
        const bool answered = buttons != MessageButtons::Ok && !m_answers.isEmpty();
        return answered ? m_answers.takeFirst() : MessageResult::Ok;
    }
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override
    {
        Lock lock(m_mutex);
        m_asked.append({existing, incoming});
        return m_replaceAnswers.isEmpty() ? ReplaceReply{false, ReplaceAsk}
                                          : m_replaceAnswers.takeFirst();
    }
    void beginWaitCursor() override { ++m_waitDepth, ++m_waitCount; }
    void endWaitCursor() override { --m_waitDepth; }

    void answerNext(MessageResult result)
    {
        Locked(m_mutex, [&] { m_answers.append(result); });
    }
    void answerNextReplace(ReplaceReply reply)
    {
        Locked(m_mutex, [&] { m_replaceAnswers.append(reply); });
    }

    QList<Shown> messages() const { return LockedCopy(m_mutex, m_shown); }
    QStringList texts() const
    {
        QStringList texts;
        for (const Shown& shown : messages())
            texts.append(shown.text);
        return texts;
    }
    QList<Asked> replaceQuestions() const { return LockedCopy(m_mutex, m_asked); }
    int waitCursorDepth() const { return m_waitDepth; }
    int waitCursorCount() const { return m_waitCount; }
    void clear()
    {
        Lock lock(m_mutex);
        m_shown.clear();
        m_asked.clear();
        m_answers.clear();
        m_replaceAnswers.clear();
    }

    // Called with each message before it is answered, on the asking thread.
    std::function<void(const QString&)> onMessage;

private:
    using Lock = std::lock_guard<std::mutex>;

    mutable std::mutex m_mutex;
    QList<Shown> m_shown;
    QList<Asked> m_asked;
    QList<MessageResult> m_answers;
    QList<ReplaceReply> m_replaceAnswers;
    std::atomic<int> m_waitDepth = 0;
    std::atomic<int> m_waitCount = 0;
};

} // namespace tarvo::test
