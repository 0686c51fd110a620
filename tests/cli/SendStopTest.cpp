#include "cli/TerminalProgress.h"
#include "tests/support/RunFixture.h"

#include <csignal>
#include <gtest/gtest.h>
#include <pty.h>

namespace tarvo::test {
namespace {

// `tarvo send --yes` with a big file in its first session and a small one in
// the session after it, stopped by a signal or followed on a terminal.
class SendStopTest : public RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        writeDevice("\\Docs\\big.bin", QByteArray(8 << 20, 'n'));
        writeDevice("\\Later\\a.txt", "a");
        writeShare("out/big.bin", QByteArray(8 << 20, 'o'));
        makeShareFolder("later");
        addSession("Office", line("Put", "\\Docs", "\\out", "Del"));
        addSession("Later", line("Put", "\\Later", "\\later"));
    }
};

// Ctrl-C or a TERM in the middle of a big file: the copy is abandoned, its
// part removed, the old target stays whole, the Del of its source does not
// happen, the files after it are not started, and the summary still comes.
class SendSignalTest : public SendStopTest, public ::testing::WithParamInterface<int>
{};

TEST_P(SendSignalTest, StopsTheRunAndKeepsTheOldTarget)
{
    // The program stops itself once 2 MiB have moved: the signal lands mid-file.
    const qint64 pid = start({"send", "--yes"}, {"TARVO_STOP_AFTER_BYTES=2097152"});
    int status = 0;
    ASSERT_EQ(::waitpid(pid_t(pid), &status, WUNTRACED), pid);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the run ended before 2 MiB had moved";
    ::kill(pid_t(pid), GetParam());
    ::kill(pid_t(pid), SIGCONT);
    const Outcome run = finish(pid);

    EXPECT_EQ(run.exitCode, 128 + GetParam()) << "ended by the signal itself";
    EXPECT_TRUE(run.out.endsWith("0 of 2 files are transferred successfully\nThe run was "
                                 "cancelled; the files after it were not started.\n"))
        << run.out.constData();
    EXPECT_FALSE(run.err.contains("Failed")) << run.err.constData();
    EXPECT_EQ(readShare("out/big.bin"), QByteArray(8 << 20, 'o'));
    EXPECT_EQ(
        QDir(onShare("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{"big.bin"});
    EXPECT_TRUE(shareNames("later").isEmpty()) << "a file after the stop was started";
    EXPECT_TRUE(deviceHas("\\Docs\\big.bin"));
}

INSTANTIATE_TEST_SUITE_P(Signals, SendSignalTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return info.param == SIGINT ? "Interrupt" : "Terminate";
                         });

// On a terminal the file being copied has a line of its own, drawn in place
// and cleared before the next line.
TEST_F(SendStopTest, OnATerminalAProgressLineFollowsTheFile)
{
    int terminal = -1;
    int child = -1;
    ASSERT_EQ(::openpty(&terminal, &child, nullptr, nullptr, nullptr), 0);
    const qint64 pid = start({"send", "--yes"}, {}, QString::fromLocal8Bit(::ptsname(terminal)));
    ::close(child);
    QByteArray out;
    char buffer[4096];
    // A terminal's end reads EIO once the child is gone.
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0 || errno == EINTR;)
        out.append(buffer, qMax<ssize_t>(got, 0));
    ::close(terminal);

    EXPECT_EQ(finish(pid).exitCode, 0);
    EXPECT_TRUE(out.contains("\rbig.bin  ") && out.contains("of 8.0 MB")) << out.constData();
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
              name + "   25%  1.0 MB of 4.0 MB  2.5 MB/s");
    const QString narrow = ProgressLineText(name, shot, std::nullopt, 50);
    EXPECT_LT(narrow.size(), 50);
    EXPECT_TRUE(narrow.startsWith("quarterly-") && narrow.contains("~") &&
                narrow.endsWith("25%  1.0 MB of 4.0 MB"))
        << narrow.toStdString();
    // Too narrow for a name: the numbers alone, still on one line.
    EXPECT_LT(ProgressLineText(name, shot, std::nullopt, 20).size(), 20);
}

} // namespace
} // namespace tarvo::test
