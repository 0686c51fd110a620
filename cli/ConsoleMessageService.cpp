#include "cli/ConsoleMessageService.h"

#include <QMutexLocker>
#include <QString>
#include <unistd.h>

namespace tarvo {

namespace {

const char* iconLabel(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return "Error";
    case MessageIcon::Information:
        return "Note";
    case MessageIcon::Question:
        return "Question";
    case MessageIcon::Stop:
        return "Stopped";
    }
    return "";
}

// Message texts use CR LF between their lines, as the dialogs show them.
QString terminalText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace

ConsoleMessageService::ConsoleMessageService(Policy policy, FILE* input, FILE* output)
    : m_policy(policy)
    , m_input(input)
    , m_output(output)
{}

bool ConsoleMessageService::interactive() const
{
    return m_policy == Policy::Ask && m_input && isatty(fileno(m_input));
}

QString ConsoleMessageService::readAnswer(const QString& prompt)
{
    std::fputs(prompt.toLocal8Bit().constData(), m_output);
    std::fflush(m_output);
    char buffer[256];
    if (!std::fgets(buffer, sizeof buffer, m_input))
        return QString();
    return QString::fromLocal8Bit(buffer).trimmed();
}

MessageResult ConsoleMessageService::showMessage(const QString& text, MessageIcon icon,
                                                 MessageButtons buttons)
{
    QMutexLocker lock(&m_mutex);
    std::fflush(stdout); // keep the order of progress lines and messages
    std::fprintf(m_output, "%s: %s\n", iconLabel(icon), qPrintable(terminalText(text)));
    if (buttons == MessageButtons::Ok)
        return MessageResult::Ok;

    MessageResult result = MessageResult::Cancel;
    if (m_policy == Policy::Yes) {
        result = MessageResult::Ok;
    } else if (interactive()) {
        for (;;) {
            const QString answer = readAnswer(QStringLiteral("[o]k or [c]ancel? "));
            if (answer.compare(u"o", Qt::CaseInsensitive) == 0 ||
                answer.compare(u"ok", Qt::CaseInsensitive) == 0) {
                result = MessageResult::Ok;
                break;
            }
            if (answer.isEmpty() || answer.compare(u"c", Qt::CaseInsensitive) == 0 ||
                answer.compare(u"cancel", Qt::CaseInsensitive) == 0)
                break;
        }
    }
    std::fprintf(m_output, "-> %s\n", result == MessageResult::Ok ? "OK" : "Cancel");
    return result;
}

ReplaceReply ConsoleMessageService::confirmReplace(const ReplaceFile& existing,
                                                   const ReplaceFile& incoming)
{
    QMutexLocker lock(&m_mutex);
    std::fflush(stdout);
    std::fprintf(m_output, "Confirm File Replace: replace %s\nwith %s?\n",
                 qPrintable(existing.path), qPrintable(incoming.path));
    ReplaceReply reply{true, ReplaceNo};
    if (m_policy == Policy::Yes) {
        reply.answer = ReplaceYesToAll;
    } else if (m_policy == Policy::No) {
        reply.answer = ReplaceNoToAll;
    } else if (interactive()) {
        for (;;) {
            const QString answer =
                readAnswer(QStringLiteral("[y]es, yes to [a]ll, [n]o, n[o] to all? ")).toLower();
            if (answer == u"y" || answer == u"yes") {
                reply.answer = ReplaceYes;
                break;
            }
            if (answer == u"a" || answer == u"yes to all") {
                reply.answer = ReplaceYesToAll;
                break;
            }
            if (answer.isEmpty() || answer == u"n" || answer == u"no")
                break;
            if (answer == u"o" || answer == u"no to all") {
                reply.answer = ReplaceNoToAll;
                break;
            }
        }
    }
    static const char* const names[] = {"", "Yes", "Yes To All", "No", "No To All"};
    std::fprintf(m_output, "-> %s\n", names[reply.answer]);
    return reply;
}

} // namespace tarvo
