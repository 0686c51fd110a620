#pragma once

#include "config/Settings.h"
#include "config/StartOptions.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

namespace tarvo {

class MessageService;

// Loads the configuration for a command; a missing file asks the question on
// the terminal, and the mistakes that the configuration check finds are shown
// as notes. With passwords, the passwords that the desktop keyring keeps for
// the file fill the sessions' empty password fields, as the window's do.
// False (after telling why) when the configuration cannot be used.
enum class Passwords { Needed, NotNeeded };
bool LoadCommandSettings(const StartOptions& environment, MessageService& messages,
                         Settings& settings, Passwords passwords = Passwords::Needed);

// The option "--session NAME" of the commands that work on sessions.
QCommandLineOption SessionOption();
// "--session NAME", given once for each session: those sessions stand in
// for the default sessions, for this command only (nothing is written back).
// Names compare as session names do, ignoring letter case. False (after
// telling which name) when a name is no session's.
bool ChooseSessions(const QStringList& names, Settings& settings);

// One command of the command line.
struct Command
{
    const char* name;
    const char* synopsis;    // "send [--yes | --no] [--session SESSION ...] [NAME ...]"
    const char* description; // what it does, for --help
    int (*run)(const QStringList& arguments, const StartOptions& environment);
};

const QList<Command>& Commands();
const Command* FindCommand(const QString& name);

// Runs the command with its arguments, or prints its help when they ask
// for it ("--help", "-h"); the exit status.
int RunCommand(const Command& command, const QStringList& arguments, const StartOptions& options);
// Reports a usage error on standard error; returns ExitUsage.
int UsageError(const QString& text);
// A usage error that shows the command's synopsis.
int SynopsisError(const QString& command);

} // namespace tarvo
