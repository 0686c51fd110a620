#include "tests/support/RunProgram.h"

#include <fcntl.h>
#include <QProcessEnvironment>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace tarvo::test {
qint64 StartProgram(const QString& program, const QStringList& arguments,
                    const QStringList& environment, const TempFolder& folder, const QString& output,
                    const QString& input)
{
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    // The null-ended arrays of C strings that a new program takes.
    QByteArrayList storage;
    const auto cStrings = [&storage](const QStringList& list) {
        std::vector<char*> strings;
        for (const QString& item : list)
            strings.push_back(storage.emplaceBack(item.toLocal8Bit()).data());
        strings.push_back(nullptr);
        return strings;
    };
    const std::vector<char*> argv = cStrings(QStringList{program} + arguments);
    const std::vector<char*> envp = cStrings(variables.toStringList());

    const QString files[] = {input, output.isEmpty() ? folder.filePath("out") : output,
                             folder.filePath("err")};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd : {0, 1, 2}) // the path is copied
        posix_spawn_file_actions_addopen(&actions, fd, QFile::encodeName(files[fd]).constData(),
                                         fd ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY, 0600);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

Outcome FinishProgram(qint64 pid, const TempFolder& folder)
{
    int status = 0;
    if (pid <= 0 || ::waitpid(pid_t(pid), &status, 0) != pid)
        return {};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempFolder::read(folder.filePath("out")),
            TempFolder::read(folder.filePath("err"))};
}

int RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
               QByteArray* errors)
{
    // The input (a password, say) goes through a file only its owner can read.
    const TempFolder folder;
    const Outcome run = FinishProgram(
        StartProgram(program, arguments, {}, folder, "/dev/null", folder.write("in", input)),
        folder);
    if (errors)
        *errors = run.err;
    return run.exitCode;
}

} // namespace tarvo::test
