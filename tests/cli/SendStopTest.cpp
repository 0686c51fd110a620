#include "cli/TerminalProgress.h"
#include "tests/support/RunFixture.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarvo::test {
namespace {

// `tarvo send` stopped by a signal halfway through a big file, and followed
// on a terminal: the program itself, with its standard output on a pipe or
// on a pseudo-terminal.
class SendStopTest : public RunFixture
{
protected:
    static constexpr qsizetype BigSize = 8 << 20;

    void SetUp() override
    {
        RunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // A big file in the first session, a small one in the session after it.
        writeDevice(QStringLiteral("\\Docs\\big.bin"), QByteArray(BigSize, 'n'));
        writeDevice(QStringLiteral("\\Later\\a.txt"), "a");
        writeShare(QStringLiteral("out/big.bin"), QByteArray(BigSize, 'o'));
        makeShareFolder(QStringLiteral("later"));
        const QString text =
            QStringLiteral("[Setting]\r\nDefaultSession=Office,Later\r\n[Session]\r\n"
                           "Office=%1\r\nLater=%2\r\n")
                .arg(line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out"),
                          QStringLiteral("Del")),
                     line(QStringLiteral("Put"), QStringLiteral("\\Later"),
                          QStringLiteral("\\later"), QStringLiteral("None")));
        m_config = m_folder.write(QStringLiteral("tarvo.txt"), text.toUtf8());
    }

    // Starts `tarvo send --yes` with its standard output on `output` (a pipe's
    // or a terminal's end) and its standard error in a file.
    pid_t start(int output, const QByteArrayList& environment = {})
    {
        QByteArrayList arguments{TARVO_EXECUTABLE,
                                 "--config",
                                 m_config.toLocal8Bit(),
                                 "--root",
                                 platform->devicePaths().root().toLocal8Bit(),
                                 "send",
                                 "--yes"};
        std::vector<char*> argv;
        for (QByteArray& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        QByteArrayList variables = environment;
        for (char** variable = environ; *variable; ++variable)
            variables.append(*variable);
        std::vector<char*> envp;
        for (QByteArray& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        const QByteArray errors = m_folder.filePath(QStringLiteral("err")).toLocal8Bit();
        posix_spawn_file_actions_addopen(&actions, 2, errors.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return failed ? -1 : pid;
    }

    static QByteArray readAll(int fd)
    {
        QByteArray all;
        char buffer[4096];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0)
                all.append(buffer, got);
            else if (got == 0 || errno != EINTR)
                return all; // a terminal's end reads EIO once the child is gone
        }
    }

    QString errors() const
    {
        return QString::fromLocal8Bit(TempFolder::read(m_folder.filePath(QStringLiteral("err"))));
    }

    TempFolder m_folder;
    QString m_config;
};

// Ctrl-C or a TERM in the middle of a big file: the copy is abandoned, its
// part removed, the old target stays whole, the Del of its source does not
// happen, the files after it are not started, and the summary still comes.
class SendSignalTest : public SendStopTest, public ::testing::WithParamInterface<int>
{};

TEST_P(SendSignalTest, StopsTheRunAndKeepsTheOldTarget)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    // The program stops itself once 2 MiB have moved: the signal lands mid-file.
    const pid_t pid = start(pipeEnds[1], {"TARVO_STOP_AFTER_BYTES=2097152"});
    ::close(pipeEnds[1]);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the run ended before 2 MiB had moved";
    ::kill(pid, GetParam());
    ::kill(pid, SIGCONT);
    const QString out = QString::fromLocal8Bit(readAll(pipeEnds[0]));
    ::close(pipeEnds[0]);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);

    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam()) << errors().toStdString();
    EXPECT_TRUE(out.endsWith(QStringLiteral("0 of 2 files are transferred successfully\n"
                                            "The run was cancelled; the files after it were not "
                                            "started.\n")))
        << out.toStdString();
    EXPECT_EQ(readShare(QStringLiteral("out/big.bin")), QByteArray(BigSize, 'o'));
    const auto everything = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    EXPECT_EQ(QDir(samba().shareFolder() + QStringLiteral("/out")).entryList(everything),
              QStringList{QStringLiteral("big.bin")});
    EXPECT_TRUE(QDir(samba().shareFolder() + QStringLiteral("/later")).isEmpty(everything))
        << "a file after the stop was started";
    EXPECT_TRUE(deviceHas(QStringLiteral("\\Docs\\big.bin")));
    EXPECT_FALSE(errors().contains(QStringLiteral("Failed"))) << errors().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, SendSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGINT ? "Interrupt" : "Terminate");
                         });

// On a terminal the file being copied has a line of its own, drawn in place;
// on a pipe there is none.
TEST_F(SendStopTest, OnATerminalAProgressLineFollowsTheFile)
{
    int terminal = -1;
    int child = -1;
    ASSERT_EQ(::openpty(&terminal, &child, nullptr, nullptr, nullptr), 0);
    const pid_t pid = start(child);
    ::close(child);
    ASSERT_GT(pid, 0);
    const QByteArray out = readAll(terminal);
    ::close(terminal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << errors().toStdString();

    // Drawn from the line's start, ending by clearing what an older, longer
    // line left; each file's line is taken away before the next printed line.
    EXPECT_TRUE(out.contains("\rbig.bin  ")) << out.constData();
    EXPECT_TRUE(out.contains("of 8.0 MB")) << out.constData();
    EXPECT_TRUE(out.contains("\r\033[K2 of 2 files are transferred successfully"))
        << out.constData();
}

TEST(ProgressLineTest, FitsTheTerminalAndShortensTheNameInTheMiddle)
{
    ProgressSnapshot shot;
    shot.fileNumber = 1;
    shot.fileSize = 4 << 20;
    shot.fileDone = 1 << 20;
    const QString name = QStringLiteral("quarterly-report-of-the-northern-region.csv");

    const QString wide = ProgressLineText(name, shot, 2.5 * (1 << 20), 120);
    EXPECT_EQ(wide, name + QStringLiteral("   25%  1.0 MB of 4.0 MB  2.5 MB/s"));

    const QString narrow = ProgressLineText(name, shot, std::nullopt, 50);
    EXPECT_LT(narrow.size(), 50);
    EXPECT_TRUE(narrow.startsWith(QStringLiteral("quarterly-")));
    EXPECT_TRUE(narrow.contains(QStringLiteral("~")));
    EXPECT_TRUE(narrow.endsWith(QStringLiteral("25%  1.0 MB of 4.0 MB")));

    // Too narrow for a name: the numbers alone, still on one line.
    EXPECT_LT(ProgressLineText(name, shot, std::nullopt, 20).size(), 20);
}

} // namespace
} // namespace tarvo::test
