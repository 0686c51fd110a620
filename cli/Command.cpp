#include "cli/Command.h"

#include "cli/ConfigCommands.h"
#include "cli/ListCommand.h"
#include "cli/SendCommand.h"
#include "config/ConfigCheck.h"
#include "config/ConfigStore.h"
#include "config/KeyringPasswords.h"
#include "config/NetSession.h"
#include "platform/MessageService.h"

#include <cstdio>

namespace tarvo {

bool LoadCommandSettings(const StartOptions& environment, MessageService& messages,
                         Settings& settings, Passwords passwords)
{
    const QString path = environment.configPath();
    if (LoadSettings(settings, path, messages)) {
        // A cron job on a desktop finds the passwords once the keyring is
        // unlocked; elsewhere one note says why sessions go without them.
        if (settings.Keyring && passwords == Passwords::Needed) {
            const std::unique_ptr<PasswordKeyring> keyring = PasswordKeyring::createForSession();
            KeyringPasswords fromKeyring(keyring.get());
            const QString note = KeyringFillNote(fromKeyring.fill(settings));
            if (!note.isEmpty())
                messages.showMessage(note, MessageIcon::Information, MessageButtons::Ok);
        }
        // Mistakes that loading passed over go to standard error ("Note: ..."),
        // never into a command's output.
        for (const QString& note : CheckConfigurationFile(settings, path))
            messages.showMessage(note, MessageIcon::Information, MessageButtons::Ok);
        return true;
    }
    std::fprintf(stderr,
                 "tarvo: no configuration to use. Create %s (see the README for its format), "
                 "name another file with --config, or answer OK to run with the defaults.\n",
                 qPrintable(path));
    return false;
}

QCommandLineOption SessionOption()
{
    return QCommandLineOption(QStringLiteral("session"), QString(), QStringLiteral("SESSION"));
}

bool ChooseSessions(const QStringList& names, Settings& settings)
{
    if (names.isEmpty())
        return true;
    const QStringList& sessions = settings.Sessions.names();
    QStringList chosen;
    for (const QString& name : names) {
        const int found = FindDefaultSession(sessions, name);
        if (found < 0) {
            std::fprintf(stderr,
                         "tarvo: there is no session named '%s'; 'tarvo sessions' lists them\n",
                         qPrintable(name));
            return false;
        }
        if (!chosen.contains(sessions.at(found)))
            chosen.append(sessions.at(found));
    }
    settings.DefaultSession = chosen;
    return true;
}

const QList<Command>& Commands()
{
    static const QList<Command> commands = {
        {"config", "config show",
         "Writes to standard output exactly the bytes that saving the configuration would "
         "write for the configuration as loaded, except that every password shows as ********.",
         RunConfigCommand},
        {"sessions", "sessions",
         "Lists the sessions, one per line: name, kind, direction, share, local folder, PC "
         "folder, post-operation, post folder, and whether it is a default session. Passwords "
         "are never shown.",
         RunSessionsCommand},
        {"list", "list [--session SESSION ...]",
         "Prints the rows of the main list as a refresh fills it, one per line: File Name, "
         "Date, Size, Path and Session, separated by tabs, in list order. --session lists "
         "the files of the sessions it names instead of the default sessions.",
         RunListCommand},
        {"send", "send [--yes | --no] [--dry-run] [--session SESSION ...] [NAME ...]",
         "Transfers the rows of the main list (all of them, or those whose File Name matches "
         "one of the wildcard NAMEs) as Send does, printing each file and the program's "
         "messages, and the summary line last. A Sync session given NAMEs mirrors only the "
         "files they match. --yes answers every question with OK / Yes To All, --no with "
         "Cancel / No To All; without a terminal the answer is Cancel / No. --dry-run prints "
         "what the send would do (copy, replace, keep, prune, and each post-operation with "
         "its target) and changes nothing. --session sends the files of the sessions it names "
         "instead of those of the default sessions. Exit status 0 when every file was "
         "transferred and every post-operation done, or when there was nothing to send; 1 "
         "when a copy, a post-operation or a session failed.",
         RunSendCommand},
    };
    return commands;
}

const Command* FindCommand(const QString& name)
{
    for (const Command& command : Commands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

int RunCommand(const Command& command, const QStringList& arguments, const StartOptions& options)
{
    if (arguments.contains(u"--help") || arguments.contains(u"-h")) {
        std::printf("Usage: tarvo [--config FILE] [--root DIR] %s\n\n%s\n", command.synopsis,
                    command.description);
        return ExitSuccess;
    }
    return command.run(arguments, options);
}

int SynopsisError(const QString& command)
{
    return UsageError(
        QStringLiteral("usage: tarvo %1").arg(QLatin1String(FindCommand(command)->synopsis)));
}

int UsageError(const QString& text)
{
    std::fprintf(stderr, "tarvo: %s\nTry 'tarvo --help'.\n", qPrintable(text));
    return ExitUsage;
}

} // namespace tarvo
