#include "cli/ConfigCommands.h"

#include "cli/ConsoleMessageService.h"
#include "config/ConfigStore.h"
#include "config/NetSession.h"

#include <cstdio>

namespace tarvo {

int RunConfigCommand(const QStringList& arguments, const StartOptions& environment)
{
    if (arguments != QStringList{QStringLiteral("show")})
        return UsageError(QStringLiteral("usage: tarvo config show"));

    ConsoleMessageService messages;
    Settings settings;
    if (!LoadCommandSettings(environment, messages, settings))
        return ExitUsage;
    // What a save writes, but never a password: this text goes to
    // terminals, logs and bug reports.
    const QStringList names = settings.Sessions.names();
    for (const QString& name : names)
        settings.Sessions.insert(name, HidePassword(settings.Sessions.value(name)));
    const QByteArray bytes = SettingsFileBytes(settings);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? ExitSuccess : ExitIncomplete;
}

QString SessionSummary(const QString& name, const QString& line, bool isDefault)
{
    const QString defaultText = isDefault ? QStringLiteral("default") : QStringLiteral("-");
    if (SessionKind(line) == SessionType::Ftp) {
        return QStringList{name,
                           QStringLiteral("Ftp"),
                           DirectionName(SessionDirection(line)),
                           QString(),
                           QString(),
                           QString(),
                           QString(),
                           QString(),
                           defaultText}
            .join(u'\t');
    }
    NetSession session;
    ParseNetSession(line, session);
    return QStringList{name,
                       QStringLiteral("Net"),
                       DirectionName(SessionDirection(line)),
                       session.shareText(),
                       session.LocalFolder,
                       session.PcFolder,
                       PostOpName(session.PostOp),
                       session.PostFolder,
                       defaultText}
        .join(u'\t');
}

int RunSessionsCommand(const QStringList& arguments, const StartOptions& environment)
{
    if (!arguments.isEmpty())
        return UsageError(QStringLiteral("'sessions' takes no arguments"));

    ConsoleMessageService messages;
    Settings settings;
    if (!LoadCommandSettings(environment, messages, settings))
        return ExitUsage;
    for (const QString& name : settings.Sessions.names()) {
        const bool isDefault = FindDefaultSession(settings.DefaultSession, name) >= 0;
        std::printf(
            "%s\n",
            SessionSummary(name, settings.Sessions.value(name), isDefault).toUtf8().constData());
    }
    return ExitSuccess;
}

} // namespace tarvo
