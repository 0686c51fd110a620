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
    if (!LoadCommandSettings(environment, messages, settings, Passwords::NotNeeded))
        return ExitUsage;
    // What a save writes, but never a password: this text goes to
    // terminals, logs and bug reports.
    const QStringList names = settings.Sessions.names();
    for (const QString& name : names)
        settings.Sessions.insert(name, HidePassword(settings.Sessions.line(name)));
    const QByteArray bytes = SettingsFileBytes(settings);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? ExitSuccess : ExitIncomplete;
}

QString SessionSummary(const Session& session, bool isDefault)
{
    const QString defaultText = isDefault ? QStringLiteral("default") : QStringLiteral("-");
    if (!session.isNet()) {
        return QStringList{session.name,
                           QStringLiteral("Ftp"),
                           DirectionName(session.direction),
                           QString(),
                           QString(),
                           QString(),
                           QString(),
                           QString(),
                           defaultText}
            .join(u'\t');
    }
    const NetSession& net = session.net;
    return QStringList{
        session.name,           QStringLiteral("Net"), DirectionName(session.direction),
        net.shareText(),        net.LocalFolder,       net.PcFolder,
        PostOpName(net.PostOp), net.PostFolder,        defaultText}
        .join(u'\t');
}

int RunSessionsCommand(const QStringList& arguments, const StartOptions& environment)
{
    if (!arguments.isEmpty())
        return UsageError(QStringLiteral("'sessions' takes no arguments"));

    ConsoleMessageService messages;
    Settings settings;
    if (!LoadCommandSettings(environment, messages, settings, Passwords::NotNeeded))
        return ExitUsage;
    for (const QString& name : settings.Sessions.names()) {
        const bool isDefault = FindDefaultSession(settings.DefaultSession, name) >= 0;
        std::printf(
            "%s\n",
            SessionSummary(settings.Sessions.session(name), isDefault).toUtf8().constData());
    }
    return ExitSuccess;
}

} // namespace tarvo
