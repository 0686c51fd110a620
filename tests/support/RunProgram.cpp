#include "tests/support/RunProgram.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tarvo::test {

namespace {

// Both ends of a pipe, closed when it goes.
struct Pipe
{
    int ends[2] = {-1, -1};
    bool open() { return ::pipe2(ends, O_CLOEXEC) == 0; }
    void close(int end)
    {
        if (ends[end] >= 0)
            ::close(ends[end]);
        ends[end] = -1;
    }
    ~Pipe()
    {
        close(0);
        close(1);
    }
};

} // namespace

int RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
               QByteArray* errors)
{
    std::vector<QByteArray> words{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    Pipe in;
    Pipe err;
    if (!in.open() || !err.open())
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (errors)
        posix_spawn_file_actions_adddup2(&actions, err.ends[1], STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    in.close(0);
    err.close(1);
    if (spawned != 0)
        return -1;

    // The inputs here are a few lines, well within a pipe's buffer.
    for (qsizetype done = 0; done < input.size();) {
        const ssize_t wrote =
            ::write(in.ends[1], input.constData() + done, size_t(input.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            break;
        done += wrote;
    }
    in.close(1);
    if (errors) {
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(err.ends[0], buffer, sizeof buffer)) != 0) {
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                break;
            errors->append(buffer, got);
        }
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

qint64 StartProgram(const QString& program, const QStringList& arguments,
                    const QStringList& environment, const QString& outputFile,
                    const QString& errorFile)
{
    std::vector<QByteArray> words{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> variables;
    for (char** variable = environ; *variable; ++variable)
        variables.emplace_back(*variable);
    for (const QString& variable : environment)
        variables.push_back(variable.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    const QByteArray out = outputFile.toLocal8Bit();
    const QByteArray err = errorFile.toLocal8Bit();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.constData(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

} // namespace tarvo::test
