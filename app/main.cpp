// tarvo [--config FILE] [--root DIR] [COMMAND]
//
// Without a command the main window opens; with one, the program runs the
// command on the terminal and ends with its exit status.
#include "cli/Command.h"
#ifdef TARVO_WITH_WINDOW
#include "gui/main/MainWindow.h"
#endif

#include <cstdio>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

using namespace tarvo;

namespace {

void printHelp()
{
    std::printf("Usage: tarvo [--config FILE] [--root DIR] [COMMAND]\n\n"
                "Tarvo moves files in batches between local folders and SMB (Windows) network "
                "shares.\nWithout a command it opens the main window.\n\n"
                "Options:\n"
                "  --config FILE  use this configuration file\n"
                "  --root DIR     the folder that device paths such as \\My Documents start "
                "from (default: your home folder)\n"
                "  --help         show this help; 'tarvo COMMAND --help' shows a command's help\n"
                "  --version      show the program's name and version\n\n"
                "Commands:\n");
    for (const Command& command : Commands()) {
        // The first sentence of the command's own help.
        const QString description = QString::fromUtf8(command.description);
        const qsizetype end = description.indexOf(QStringLiteral(". "));
        std::printf("  %-32s %s\n", command.synopsis,
                    qPrintable(end < 0 ? description : description.left(end + 1)));
    }
    std::printf("\nExit status: 0 when the command did all it was asked, 1 when some files were "
                "not transferred,\n2 for a usage error or a configuration that could not be "
                "used.\n");
}

QStringList argumentList(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Tarvo"));
    QCoreApplication::setApplicationVersion(ProgramVersion());

    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption configOption(QStringLiteral("config"), QString(),
                                          QStringLiteral("FILE"));
    const QCommandLineOption rootOption(QStringLiteral("root"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOptions({configOption, rootOption, helpOption, versionOption});
    if (!parser.parse(argumentList(argc, argv)))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        printHelp();
        return ExitSuccess;
    }
    if (parser.isSet(versionOption)) {
        std::printf("Tarvo %s\n", qPrintable(ProgramVersion()));
        return ExitSuccess;
    }

    StartOptions options;
    options.configOption = parser.value(configOption);
    options.rootOption = parser.value(rootOption);
    if (!options.rootOption.isEmpty() && !QFileInfo(options.rootOption).isDir())
        return UsageError(QStringLiteral("--root %1 is not a folder").arg(options.rootOption));
#ifdef TARVO_WITH_WINDOW
    if (parser.positionalArguments().isEmpty())
        return RunMainWindow(argc, argv, options);
#endif
    QCoreApplication app(argc, argv);
    options.executablePath = QCoreApplication::applicationFilePath();

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return UsageError(QStringLiteral("the main window is not available in this build"));
    const QString name = positional.takeFirst();
    const Command* command = FindCommand(name);
    if (!command)
        return UsageError(QStringLiteral("unknown command '%1'").arg(name));
    return RunCommand(*command, positional, options);
}
