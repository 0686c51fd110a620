#pragma once

#include "config/Settings.h"

#include <QString>
#include <QStringList>

namespace tarvo {

class MessageService;

// What every command gets from the global options.
struct CommandEnvironment
{
    QString configOption;   // --config FILE, empty when not given
    QString rootOption;     // --root DIR, empty when not given
    QString executablePath; // the running program

    // The configuration file: --config, else the registry's "Setting" value,
    // else the program's own path with ".txt".
    QString configPath() const;
    // The folder that stands for the device: --root, else the home folder.
    QString deviceRoot() const;
};

// Exit statuses of the commands.
enum ExitStatus : int { ExitSuccess = 0, ExitIncomplete = 1, ExitUsage = 2 };

// Loads the configuration for a command; a missing file asks the question on
// the terminal, and the mistakes that the configuration check finds are shown
// as notes. False (after telling why) when the configuration cannot be used.
bool LoadCommandSettings(const CommandEnvironment& environment, MessageService& messages,
                         Settings& settings);

// One command of the command line.
struct Command
{
    const char* name;
    const char* synopsis;    // "send [--yes | --no] [NAME ...]"
    const char* description; // what it does, for --help
    int (*run)(const QStringList& arguments, const CommandEnvironment& environment);
};

const QList<Command>& Commands();
const Command* FindCommand(const QString& name);

// Prints a command's help; returns ExitSuccess.
int PrintCommandHelp(const Command& command);
// Reports a usage error on standard error; returns ExitUsage.
int UsageError(const QString& text);

} // namespace tarvo
