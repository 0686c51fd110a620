#include "tests/support/ScriptedMessageService.h"

#include <QMutexLocker>
#include <QStringList>

namespace tarvo::test {

MessageResult ScriptedMessageService::showMessage(const QString& text, MessageIcon icon,
                                                  MessageButtons buttons)
{
    if (onMessage)
        onMessage(text);
    QMutexLocker lock(&m_mutex);
    m_shown.append({text, icon, buttons});
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;
    return m_answers.isEmpty() ? defaultResult : m_answers.takeFirst();
}

ReplaceReply ScriptedMessageService::confirmReplace(const ReplaceFile& existing,
                                                    const ReplaceFile& incoming)
{
    QMutexLocker lock(&m_mutex);
    m_asked.append({existing, incoming});
    return m_replaceAnswers.isEmpty() ? defaultReplace : m_replaceAnswers.takeFirst();
}

void ScriptedMessageService::beginWaitCursor()
{
    QMutexLocker lock(&m_mutex);
    ++m_waitDepth;
    ++m_waitCount;
}

void ScriptedMessageService::endWaitCursor()
{
    QMutexLocker lock(&m_mutex);
    --m_waitDepth;
}

void ScriptedMessageService::answerNext(MessageResult result)
{
    QMutexLocker lock(&m_mutex);
    m_answers.append(result);
}

void ScriptedMessageService::answerNextReplace(ReplaceReply reply)
{
    QMutexLocker lock(&m_mutex);
    m_replaceAnswers.append(reply);
}

QList<ScriptedMessageService::Shown> ScriptedMessageService::messages() const
{
    QMutexLocker lock(&m_mutex);
    return m_shown;
}

QStringList ScriptedMessageService::texts() const
{
    QMutexLocker lock(&m_mutex);
    QStringList result;
    for (const Shown& shown : m_shown)
        result.append(shown.text);
    return result;
}

QList<ScriptedMessageService::Asked> ScriptedMessageService::replaceQuestions() const
{
    QMutexLocker lock(&m_mutex);
    return m_asked;
}

int ScriptedMessageService::waitCursorDepth() const
{
    QMutexLocker lock(&m_mutex);
    return m_waitDepth;
}

int ScriptedMessageService::waitCursorCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_waitCount;
}

void ScriptedMessageService::clear()
{
    QMutexLocker lock(&m_mutex);
    m_shown.clear();
    m_asked.clear();
    m_answers.clear();
    m_replaceAnswers.clear();
}

} // namespace tarvo::test
