#pragma once

#include "platform/FileTypes.h"

#include <QString>

namespace tarvo {

enum class MessageIcon { Error, Information, Question, Stop };
enum class MessageButtons { Ok, OkCancel };
enum class MessageResult { Ok, Cancel };

// The answer of the "Confirm File Replace" question: 0 none yet (ask),
// 1 Yes, 2 Yes To All, 3 No, 4 No To All.
enum ReplaceAnswer : int {
    ReplaceAsk = 0,
    ReplaceYes = 1,
    ReplaceYesToAll = 2,
    ReplaceNo = 3,
    ReplaceNoToAll = 4,
};

// One file of the replace question: its path and what the asker last read
// of it (all zero when it could not be read). The question shows these and
// reads nothing itself.
struct ReplaceFile
{
    QString path;
    FileInfo info;
};

struct ReplaceReply
{
    bool accepted = false; // false when the question ended without one of the four answers
    ReplaceAnswer answer = ReplaceAsk;
};

// Message boxes, the questions that workers ask, and the wait cursor. The
// window shows them as dialogs, the command line on the terminal, and tests
// answer them from a script. Callable from any thread: an implementation that
// needs the GUI thread gets there itself and blocks the caller until answered.
class MessageService
{
public:
    virtual ~MessageService() = default;

    virtual MessageResult showMessage(const QString& text, MessageIcon icon,
                                      MessageButtons buttons) = 0;

    // Asks whether the existing file is to be replaced with the new one.
    virtual ReplaceReply confirmReplace(const ReplaceFile& existing,
                                        const ReplaceFile& incoming) = 0;

    virtual void beginWaitCursor() {}
    virtual void endWaitCursor() {}
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor
{
public:
    explicit WaitCursor(MessageService& messages)
        : m_messages(messages)
    {
        m_messages.beginWaitCursor();
    }
    ~WaitCursor() { m_messages.endWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    MessageService& m_messages;
};

} // namespace tarvo
