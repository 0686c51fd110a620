#include "tests/support/RunProgram.h"

#include "tests/support/TempFiles.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace tarvo::test {

qint64 StartProgram(const QString& program, const QStringList& arguments,
                    const QStringList& environment, const QString& outputFile,
                    const QString& errorFile, const QString& inputFile)
{
    std::vector<QByteArray> words{QFile::encodeName(program)};
    std::vector<QByteArray> variables;
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    for (char** variable = environ; *variable; ++variable)
        variables.emplace_back(*variable);
    for (const QString& variable : environment)
        variables.push_back(variable.toLocal8Bit());
    std::vector<char*> argv;
    std::vector<char*> envp;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    for (QByteArray& variable : variables)
        envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const QByteArray files[] = {QFile::encodeName(inputFile), QFile::encodeName(outputFile),
                                QFile::encodeName(errorFile)};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, files[0].constData(), O_RDONLY, 0);
    for (int fd : {1, 2})
        posix_spawn_file_actions_addopen(&actions, fd, files[fd].constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

int RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
               QByteArray* errors)
{
    // The input (a password, say) goes through a file only its owner can read.
    const TempFolder folder;
    const QString in = folder.write("in", input);
    const qint64 pid =
        StartProgram(program, arguments, {}, "/dev/null", folder.filePath("err"), in);
    int status = 0;
    if (pid <= 0 || ::waitpid(pid_t(pid), &status, 0) != pid)
        return -1;
    if (errors)
        *errors = TempFolder::read(folder.filePath("err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tarvo::test
