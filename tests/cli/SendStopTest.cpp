#include "cli/TerminalProgress.h"
#include "tests/support/RunFixture.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <spawn.h>

extern char** environ;

namespace tarvo::test {
namespace {

// `tarvo send --yes` stopped by a signal halfway through a big file, and
// followed on a terminal: the program itself, with its standard output on a
// pipe or on a pseudo-terminal.
class SendStopTest : public RunFixture
{
protected:
    static constexpr qsizetype BigSize = 8 << 20;

    void SetUp() override
    {
        RunFixture::SetUp();
        // A big file in the first session, a small one in the session after it.
        writeDevice("\\Docs\\big.bin", QByteArray(BigSize, 'n'));
        writeDevice("\\Later\\a.txt", "a");
        writeShare("out/big.bin", QByteArray(BigSize, 'o'));
        makeShareFolder("later");
        addSession("Office", line("Put", "\\Docs", "\\out", "Del"));
        addSession("Later", line("Put", "\\Later", "\\later"));
        m_work.write("tarvo.txt", SettingsFileBytes(params.settings));
    }

    // Starts the send with its standard output on `output`, a pipe's or a
    // terminal's end, and reads all it writes there; with a signal, sends it
    // in the middle of the big file.
    QByteArray send(int output, int& status, int signal = 0)
    {
        QByteArrayList environment;
        if (signal)
            environment.append("TARVO_STOP_AFTER_BYTES=2097152");
        QByteArrayList words{TARVO_EXECUTABLE,
                             "--config",
                             m_work.filePath("tarvo.txt").toUtf8(),
                             "--root",
                             platform->devicePaths().root().toUtf8(),
                             "send",
                             "--yes"};
        QByteArrayList variables = environment;
        for (char** variable = environ; *variable; ++variable)
            variables.append(*variable);
        std::vector<char*> argv, envp;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        for (QByteArray& variable : variables)
            envp.push_back(variable.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, output, 1);
        const QByteArray errors = m_work.filePath("err").toUtf8();
        posix_spawn_file_actions_addopen(&actions, 2, errors, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(output);
        // Stopped by the program itself once 2 MiB have moved: a signal lands mid-file.
        if (signal) {
            EXPECT_EQ(::waitpid(pid, &status, WUNTRACED), pid);
            EXPECT_TRUE(WIFSTOPPED(status)) << "the run ended before 2 MiB had moved";
            ::kill(pid, signal);
            ::kill(pid, SIGCONT);
        }
        QByteArray all;
        char buffer[4096];
        for (ssize_t got; (got = ::read(m_reading, buffer, sizeof buffer)) != 0;) {
            if (got < 0 && errno != EINTR)
                break; // a terminal's end reads EIO once the child is gone
            all.append(buffer, qMax<ssize_t>(got, 0));
        }
        ::close(m_reading);
        ::waitpid(pid, &status, 0);
        return all;
    }
    int m_reading = -1;
};

// Ctrl-C or a TERM in the middle of a big file: the copy is abandoned, its
// part removed, the old target stays whole, the Del of its source does not
// happen, the files after it are not started, and the summary still comes.
class SendSignalTest : public SendStopTest, public ::testing::WithParamInterface<int>
{};

TEST_P(SendSignalTest, StopsTheRunAndKeepsTheOldTarget)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    m_reading = ends[0];
    int status = 0;
    const QByteArray out = send(ends[1], status, GetParam());

    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
    EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam());
    EXPECT_TRUE(out.endsWith("0 of 2 files are transferred successfully\nThe run was cancelled; "
                             "the files after it were not started.\n"))
        << out.constData();
    EXPECT_EQ(readShare("out/big.bin"), QByteArray(BigSize, 'o'));
    const auto everything = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    EXPECT_EQ(QDir(onShare("out")).entryList(everything), QStringList{"big.bin"});
    EXPECT_TRUE(QDir(onShare("later")).isEmpty(everything)) << "a file after the stop was started";
    EXPECT_TRUE(deviceHas("\\Docs\\big.bin"));
    EXPECT_FALSE(TempFolder::read(m_work.filePath("err")).contains("Failed"));
}

INSTANTIATE_TEST_SUITE_P(Signals, SendSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return info.param == SIGINT ? "Interrupt" : "Terminate";
                         });

// On a terminal the file being copied has a line of its own, drawn in place
// and cleared before the next line.
TEST_F(SendStopTest, OnATerminalAProgressLineFollowsTheFile)
{
    int child = -1;
    ASSERT_EQ(::openpty(&m_reading, &child, nullptr, nullptr, nullptr), 0);
    int status = 0;
    const QByteArray out = send(child, status);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(out.contains("\rbig.bin  ") && out.contains("of 8.0 MiB")) << out.constData();
    EXPECT_TRUE(out.contains("\r\033[K2 of 2 files are transferred successfully"))
        << out.constData();
}

TEST(ProgressLineTest, FitsTheTerminalAndShortensTheNameInTheMiddle)
{
    ProgressSnapshot shot;
    shot.fileNumber = 1;
    shot.fileSize = 4 << 20;
    shot.fileDone = 1 << 20;
    const QString name = "quarterly-report-of-the-northern-region.csv";

    EXPECT_EQ(ProgressLineText(name, shot, 2.5 * (1 << 20), 120),
              name + "   25%  1.0 MiB of 4.0 MiB  2.5 MiB/s");
    const QString narrow = ProgressLineText(name, shot, std::nullopt, 50);
    EXPECT_LT(narrow.size(), 50);
    EXPECT_TRUE(narrow.startsWith("quarterly-") && narrow.contains("~") &&
                narrow.endsWith("25%  1.0 MiB of 4.0 MiB"))
        << narrow.toStdString();
    // Too narrow for a name: the numbers alone, still on one line.
    EXPECT_LT(ProgressLineText(name, shot, std::nullopt, 20).size(), 20);
}

} // namespace
} // namespace tarvo::test
