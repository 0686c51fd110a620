#pragma once

#include "core/transfer/RunProgress.h"
#include "core/transfer/TransferRate.h"
#include "platform/MessageService.h"

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <QString>
#include <thread>

namespace tarvo {

// One look at the run as the progress line shows it: the file's name, its
// percent, its bytes and the speed. Cut to `width` characters, so that the
// line never wraps and can be drawn again in place.
QString ProgressLineText(const QString& fileName, const ProgressSnapshot& shot,
                         std::optional<double> bytesPerSecond, int width);

// The line that follows the file being copied while `send` runs on a
// terminal, drawn again in place a few times a second. Everything else the
// command prints, on either stream, goes through aside(), which takes the
// line away first and lets it come back afterwards; questions then find the
// terminal as they expect it.
class TerminalProgress
{
public:
    TerminalProgress(const RunProgress& progress, FILE* terminal);
    // Takes the line away for good.
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Whether the stream is a terminal, where a line can be drawn in place.
    static bool isTerminal(FILE* stream);

    void setFileName(const QString& name);
    void aside(const std::function<void()>& print);
    // Takes the line away for a process that ends without waiting for its
    // run: never waits for a question that holds the terminal (the output
    // then goes on below the question).
    void leave();
    // Takes the line away for good, before the run's summary: the line is
    // never drawn again below it.
    void finish();

private:
    void redrawUntilStopped();
    void drawLocked();
    void clearLocked();

    const RunProgress& m_progress;
    FILE* const m_terminal;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    bool m_drawn = false;
    QString m_fileName;
    TransferRate m_rate;
    std::thread m_redraw;
};

// Passes every message and question through TerminalProgress::aside().
class MessagesBesideProgress : public MessageService
{
public:
    MessagesBesideProgress(MessageService& messages, TerminalProgress& progress)
        : m_messages(messages)
        , m_progress(progress)
    {}

    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override;
    ReplaceReply confirmReplace(const ReplaceFile& existing, const ReplaceFile& incoming) override;

private:
    MessageService& m_messages;
    TerminalProgress& m_progress;
};

} // namespace tarvo
