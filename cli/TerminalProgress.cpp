#include "cli/TerminalProgress.h"

#include "core/transfer/ProgressTexts.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace tarvo {

namespace {

constexpr std::chrono::milliseconds RedrawInterval{250};

int TerminalWidth(FILE* terminal)
{
    winsize size{};
    if (::ioctl(::fileno(terminal), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

QString ProgressLineText(const QString& fileName, const ProgressSnapshot& shot,
                         std::optional<double> bytesPerSecond, int width)
{
    const int percent = shot.fileSize ? int(shot.fileDone * 100 / shot.fileSize) : 100;
    QString line =
        QStringLiteral("%1%  %2").arg(percent, 3).arg(BytesOfText(shot.fileDone, shot.fileSize));
    if (shot.fileResumedAt)
        line += QStringLiteral("  ") + ResumingText(shot.fileResumedAt, shot.fileSize);
    if (bytesPerSecond)
        line += QStringLiteral("  ") + SpeedText(*bytesPerSecond);
    // The name takes what room is left, shortened in the middle.
    const int room = width - 1 - int(line.size()) - 2;
    if (room >= 8) {
        QString name = fileName;
        if (name.size() > room)
            name = name.left((room - 1) / 2) + u'~' + name.right(room - 1 - (room - 1) / 2);
        line = name + QStringLiteral("  ") + line;
    }
    return line.left(std::max(width - 1, 0));
}

TerminalProgress::TerminalProgress(const RunProgress& progress, FILE* terminal)
    : m_progress(progress)
    , m_terminal(terminal)
    , m_redraw([this] { redrawUntilStopped(); })
{}

TerminalProgress::~TerminalProgress()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        clearLocked();
    }
    m_wake.notify_all();
    m_redraw.join();
}

bool TerminalProgress::isTerminal(FILE* stream)
{
    return ::isatty(::fileno(stream)) == 1;
}

void TerminalProgress::setFileName(const QString& name)
{
    std::lock_guard lock(m_mutex);
    m_fileName = name;
    drawLocked(); // at once, so that even a short file shows its line
}

void TerminalProgress::aside(const std::function<void()>& print)
{
    std::lock_guard lock(m_mutex);
    clearLocked();
    print();
}

void TerminalProgress::leave()
{
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        std::fputs("\n", m_terminal);
        std::fflush(m_terminal);
        return;
    }
    m_stopping = true;
    clearLocked();
}

void TerminalProgress::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        clearLocked();
    }
    m_wake.notify_all();
}

void TerminalProgress::redrawUntilStopped()
{
    std::unique_lock lock(m_mutex);
    while (!m_wake.wait_for(lock, RedrawInterval, [this] { return m_stopping; }))
        drawLocked();
}

void TerminalProgress::drawLocked()
{
    const ProgressSnapshot shot = m_progress.snapshot();
    if (shot.fileNumber == 0)
        return; // nothing is being copied yet
    m_rate.add(TransferRate::Clock::now(), shot.bytesDone - shot.bytesResumed);
    const QByteArray line =
        ProgressLineText(m_fileName, shot, m_rate.bytesPerSecond(), TerminalWidth(m_terminal))
            .toLocal8Bit();
    // Back to the line's start, the new text, and away with what is left of the old.
    std::fprintf(m_terminal, "\r%s\033[K", line.constData());
    std::fflush(m_terminal);
    m_drawn = true;
}

void TerminalProgress::clearLocked()
{
    if (!m_drawn)
        return;
    std::fputs("\r\033[K", m_terminal);
    std::fflush(m_terminal);
    m_drawn = false;
}

MessageResult MessagesBesideProgress::showMessage(const QString& text, MessageIcon icon,
                                                  MessageButtons buttons)
{
    MessageResult result = MessageResult::Cancel;
    m_progress.aside([&] { result = m_messages.showMessage(text, icon, buttons); });
    return result;
}

ReplaceReply MessagesBesideProgress::confirmReplace(const ReplaceFile& existing,
                                                    const ReplaceFile& incoming)
{
    ReplaceReply reply;
    m_progress.aside([&] { reply = m_messages.confirmReplace(existing, incoming); });
    return reply;
}

} // namespace tarvo
