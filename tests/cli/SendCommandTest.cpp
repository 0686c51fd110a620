// `tarvo send` as a user runs it: the program itself, a configuration file,
// the test share, and a terminal only for the stopped run.
#include "cli/TerminalProgress.h"
#include "core/record/RunRecord.h"
#include "tests/e2e/Scenario.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <QFileInfo>

namespace tarvo::test {
namespace {

QStringList Sorted(QStringList names)
{
    names.sort();
    return names;
}

class SendCommandTest : public RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        writeDevice("\\Docs\\a.txt", "a");
        writeDevice("\\Docs\\b.txt", "b");
        makeShareFolder("out");
    }
    // The lines of standard output.
    QStringList send(const QStringList& arguments)
    {
        return QString::fromUtf8(tarvo(QStringList{"send"} + arguments).out)
            .split(u'\n', Qt::SkipEmptyParts);
    }
    QString target(const QString& name) const { return sharePath("out/" + name); }
};

// A dry run connects and lists as a send does, prints what the send would do
// and changes nothing; NAME patterns keep a Sync mirror to the files they
// match.
TEST_F(SendCommandTest, ADryRunSaysWhatASendWouldDoAndChangesNothing)
{
    addSession("Office", line("Put", "\\Docs", "\\out", "Sync"));
    params.settings.DefaultChoice = ReplaceNoToAll;
    writeDevice("\\Docs\\b.txt", "b, changed");
    writeDevice("\\Docs\\c.txt", "c");
    for (const char* name : {"b.txt", "c.txt", "old.txt", "notes.doc"})
        writeShare("out/" + QString(name), name == QByteArray("b.txt") ? "b" : "c");

    const QStringList plan = send({"--dry-run"});
    EXPECT_EQ(plan.value(2),
              "copy\t\\Docs\\a.txt\t" + target("a.txt") + "\tOffice\t1\t" +
                  QFileInfo(native("\\Docs\\a.txt")).lastModified().toString(Qt::ISODate) + "\t");
    EXPECT_EQ(ActionsOf(plan), QStringList({"prune\t" + target("notes.doc") + "\t",
                                            "prune\t" + target("old.txt") + "\t",
                                            "copy\t\\Docs\\a.txt\t" + target("a.txt"),
                                            "replace\t\\Docs\\b.txt\t" + target("b.txt"),
                                            "keep\t\\Docs\\c.txt\t" + target("c.txt"),
                                            "Nothing was changed: this was a dry run."}));
    EXPECT_EQ(shareNames("out"), QStringList({"b.txt", "c.txt", "notes.doc", "old.txt"}));
    EXPECT_EQ(readShare("out/b.txt"), "b");

    send({"*.txt"});
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt", "b.txt", "c.txt", "notes.doc"}));
    EXPECT_EQ(readShare("out/b.txt"), "b, changed");
}

// A send appends what it did to the run record in the state folder: a line
// for each file and one for how the run ended, all of one run, and never a
// password. A dry run writes none. A file whose name is no valid text cannot
// be named on a share: list and send tell its folder and session, and send
// (and its dry run) counts it as not sent. A record that cannot be written is said once and
// changes nothing else.
TEST_F(SendCommandTest, ASendKeepsItsRunRecordWithoutPasswords)
{
    addSession("Office", line("Put", "\\Docs", "\\out"));
    ::close(::open(QFile::encodeName(native("\\Docs")) + "/caf\xE9.txt", O_CREAT | O_WRONLY, 0644));
    const QString state = "XDG_STATE_HOME=" + m_work.filePath("mine");
    const QString log = m_work.filePath("mine/tarvo/runs.log");

    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.out.count('\n'), 2);
    EXPECT_EQ(tarvo({"send", "--dry-run"}, {state}).exitCode, 1); // as the send ends
    EXPECT_FALSE(QFile::exists(log));
    const Outcome sent = tarvo({"send"}, {state});
    EXPECT_EQ(sent.exitCode, 1);
    EXPECT_TRUE(sent.err.contains("A file in \\Docs\\ of session Office cannot be sent") &&
                sent.err.contains("\ncaf\\xE9.txt\n"))
        << sent.err.constData();
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt", "b.txt"}));

    const QByteArray bytes = TempFolder::read(log);
    EXPECT_FALSE(bytes.contains(samba().password().toUtf8())) << bytes.constData();
    QStringList lines = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeFirst(), RunRecordLine::header());
    QStringList record;
    QSet<QString> runs;
    for (const QString& text : lines) {
        const std::optional<RunRecordLine> line = RunRecordLine::parse(text);
        ASSERT_TRUE(line) << text.toStdString();
        runs.insert(line->run);
        record << QString("%1 %2 %3 %4 %5 %6 %7")
                      .arg(line->action, line->session, line->source,
                           line->target.section(u'\\', -1))
                      .arg(line->bytes)
                      .arg(line->result, line->reason);
    }
    EXPECT_EQ(runs.size(), 1);
    EXPECT_EQ(record.join(u'\n').toStdString(),
              "copy Office \\Docs\\a.txt a.txt 1 done \n"
              "copy Office \\Docs\\b.txt b.txt 1 done \n"
              "run    2 incomplete 2 of 3 files are transferred successfully");

    const Outcome unrecorded = tarvo({"send"}, {"XDG_STATE_HOME=" + m_work.write("file", "x")});
    EXPECT_EQ(unrecorded.exitCode, 1);
    EXPECT_EQ(unrecorded.err.count("tarvo: the run record could not be written: the folder "), 1)
        << unrecorded.err.constData();
    EXPECT_TRUE(unrecorded.out.endsWith("2 of 3 files are transferred successfully\n"));
}

// The exit status tells a script or a cron job whether everything asked was
// done: 0 also for nothing to send, 1 when a copy, a post-operation or a
// session failed, 2 for a wrong command line or an unusable configuration.
// NAME patterns pick rows whatever their case; a question is cancelled
// unless --yes answers it. The output never shows a password, and a
// message's reason is its second line.
struct Exit
{
    const char* name;
    const char* postOp;
    const char* defaults;  // DefaultSession
    const char* arguments; // separated by blanks
    int exitCode;
    const char* first; // the start of standard output's first line
    const char* last;  // a line of it
    const char* error; // in standard error
};

class SendExitTest : public SendCommandTest, public ::testing::WithParamInterface<Exit>
{};

TEST_P(SendExitTest, SaysWhetherEverythingWasDone)
{
    const Exit& row = GetParam();
    addSession("Office", line("Put", "\\Docs", "\\out", row.postOp, "\\Sent"));
    addSession("Locked", line("Put", "\\Docs", "\\out", "None", {}, "Wrong-Pw-7"));
    params.settings.DefaultSession = QString(row.defaults).split(u',', Qt::SkipEmptyParts);
    writeDevice("\\Sent\\a.txt", "taken"); // a Move's target

    const Outcome run =
        tarvo(QStringList{"send"} + QString(row.arguments).split(u' ', Qt::SkipEmptyParts));

    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith(row.first)) << run.out.constData();
    EXPECT_TRUE(run.out.split('\n').contains(row.last)) << run.out.constData();
    EXPECT_TRUE(run.err.contains(row.error)) << run.err.constData();
    EXPECT_EQ(deviceHas("\\Docs\\a.txt"), QByteArray(row.error) != "-> OK");
    EXPECT_FALSE((run.out + run.err).contains(samba().password().toUtf8()) ||
                 run.err.contains("Wrong-Pw-7"));
}

const char* const OneSent = "1 of 1 files are transferred successfully";

INSTANTIATE_TEST_SUITE_P(
    Cases, SendExitTest,
    ::testing::Values(
        Exit{"NamesPickRows", "None", "Office", "B* x?z", 0,
             "Transferring file 1 of 1 ...\t\\Docs\\b.txt\t", OneSent, ""},
        Exit{"NothingToSend", "None", "Office", "*.doc", 0, "", "", "Nothing to send\n"},
        Exit{"AQuestionIsCancelled", "Del", "Office", "a.txt", 0, "", OneSent, "-> Cancel"},
        Exit{"YesAnswersIt", "Del", "Office", "--yes a.txt", 0, "", OneSent, "-> OK"},
        Exit{"OptionsFollowNames", "Del", "Office", "a.txt --yes", 0, "", OneSent, "-> OK"},
        Exit{"APostOperationFailed", "Move", "Office", "", 1, "", "1 post-operation failed",
             "Failed to move file \\Docs\\a.txt to \\Sent\\a.txt\nA file of that name already "
             "exists."},
        Exit{"ADryRunCannotConnect", "None", "Office,Locked", "--dry-run a.txt", 1, "",
             "Nothing was changed: this was a dry run.", "\nWrong user name or password."},
        Exit{"NoDefaultSession", "None", "", "", 2, "", "",
             "Please select a default session first"},
        // --session stands in for the default sessions: Locked's wrong
        // password is never tried.
        Exit{"SessionsChosenOnTheLine", "None", "Locked", "--session office b.txt", 0,
             "Transferring file 1 of 1 ...\t\\Docs\\b.txt\t", OneSent, ""},
        Exit{"NoSuchSession", "None", "Office", "--session Ofice", 2, "", "",
             "there is no session named 'Ofice'"}),
    [](const auto& info) { return std::string(info.param.name); });

// Ctrl-C or a TERM in the middle of a big file, followed on a terminal, also
// while the server has stopped answering (the stop then waits a moment only):
// the file being copied has a line of its own, drawn in place and cleared
// before the summary; the copy is abandoned, its part kept for the next run
// (only that part and its note, also through a run of another file into the
// folder), the old target stays whole, the Del of its source does not happen,
// the files after it (of the next session) are not started, and the summary
// still comes. The next run of the file sends it whole and leaves nothing.
struct Stop
{
    const char* name;
    int signal;
    bool serverHangs;
};

class SendSignalTest : public SendCommandTest, public ::testing::WithParamInterface<Stop>
{};

TEST_P(SendSignalTest, StopsTheRunAndKeepsTheOldTarget)
{
    const Stop& stop = GetParam();
    writeDevice("\\Big\\big.bin", QByteArray(8 << 20, 'n'));
    writeShare("out/big.bin", QByteArray(8 << 20, 'o'));
    addSession("Office", line("Put", "\\Big", "\\out", "Del"));
    addSession("Later", line("Put", "\\Docs", "\\out"));
    int terminal = -1;
    int child = -1;
    ASSERT_EQ(::openpty(&terminal, &child, nullptr, nullptr, nullptr), 0);
    // Stopped once it has read 2 MiB of the file: the signal lands mid-file.
    const qint64 pid =
        startUntilStopped(2 << 20, {"send", "--yes"}, QString::fromLocal8Bit(::ptsname(terminal)));
    ::close(child);
    ASSERT_GT(pid, 0) << "the run ended before 2 MiB had moved";
    const auto resume = qScopeGuard([] { samba().resume(); });
    if (stop.serverHangs)
        samba().pause();
    ::kill(pid_t(pid), stop.signal);
    ::kill(pid_t(pid), SIGCONT);
    QByteArray out;
    char buffer[4096];
    // A terminal's end reads EIO once the child is gone.
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0 || errno == EINTR;)
        out.append(buffer, qMax<ssize_t>(got, 0));
    ::close(terminal);
    const Outcome run = FinishProgram(pid, m_work);
    samba().resume();

    EXPECT_EQ(run.exitCode, 128 + stop.signal) << "ended by the signal itself";
    EXPECT_TRUE(out.contains("\rbig.bin  ") && out.contains("of 8.0 MB")) << out.constData();
    // The terminal ends each line with "\r\n".
    EXPECT_TRUE(out.endsWith("\r\033[K0 of 3 files are transferred successfully\r\nThe run was "
                             "cancelled during the copy of \\Big\\big.bin: that file was not "
                             "sent, and the files after it were not started.\r\n"))
        << out.constData();
    EXPECT_FALSE(run.err.contains("Failed")) << run.err.constData();
    EXPECT_EQ(readShare("out/big.bin"), QByteArray(8 << 20, 'o'));
    EXPECT_TRUE(deviceHas("\\Big\\big.bin"));
    for (const QStringList& sent : {QStringList(), QStringList({"a.txt"})}) {
        EXPECT_EQ(sent.isEmpty() ? 0 : tarvo({"send", "a.txt"}).exitCode, 0);
        const QStringList own = PartsIn(onShare("out"));
        EXPECT_EQ(Sorted(QDir(onShare("out"))
                             .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)),
                  Sorted(QStringList{"big.bin"} + sent + own));
        EXPECT_LE(own.size(), 2);
    }

    params.settings.Sessions.insert("Office", line("Put", "\\Big", "\\out"));
    EXPECT_EQ(tarvo({"send", "--yes", "big.bin"}).exitCode, 0);
    EXPECT_TRUE(readShare("out/big.bin") == QByteArray(8 << 20, 'n'));
    EXPECT_EQ(PartsIn(onShare("out")), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Signals, SendSignalTest,
                         ::testing::Values(Stop{"Interrupt", SIGINT, false},
                                           Stop{"Terminate", SIGTERM, false},
                                           Stop{"InterruptWhileTheServerHangs", SIGINT, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A run killed in the middle of a copy (kill -9, a power loss) leaves its
// part behind, a Put's on the share and a Get's with its note in the device
// folder: no later run lists or fetches a part. The next run's dry run plans
// to resume the Get, and the next run goes on from it (where a part written
// side by side is sure to be whole), ends with the share's very bytes, notes
// the resumed bytes in its run record and leaves no part on either side.
TEST_F(SendCommandTest, AKilledRunsPartIsResumedByTheNextRun)
{
    const QByteArray content = Pattern(96 * MiB);
    writeShare("in/big.bin", content);
    writeDevice("\\Outbox\\big.bin", Pattern(6 * MiB, 1));
    QDir().mkpath(native("\\Inbox"));
    addSession("Send", line("Put", "\\Outbox", "\\out"));
    addSession("Fetch", line("Get", "\\Inbox", "\\in"));
    // Stopped once that much of the device's file has moved, then killed.
    for (const auto& [session, bytes] : {std::pair{"Send", 2 * MiB}, {"Fetch", 80 * MiB}}) {
        params.settings.DefaultSession = {session};
        const qint64 pid = startUntilStopped(bytes, {"send", "--yes"});
        ASSERT_GT(pid, 0) << session << " ended before its stop";
        ::kill(pid_t(pid), SIGKILL);
        FinishProgram(pid, m_work);
    }
    ASSERT_EQ(PartsIn(onShare("out")).size(), 1);
    ASSERT_EQ(PartsIn(native("\\Inbox")).size(), 2);
    // Each folder as the other direction lists it: neither shows its part.
    addSession("Look", line("Get", "\\Inbox", "\\out"), false);
    addSession("Back", line("Put", "\\Inbox", "\\in"), false);
    params.settings.DefaultSession = {"Look", "Back"};
    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_EQ(list.out, "");

    params.settings.DefaultSession = {"Fetch"};
    const QStringList plan = send({"--dry-run"});
    ASSERT_FALSE(plan.isEmpty());
    EXPECT_EQ(plan.first().section(u'\t', 0, 2),
              "resume\t" + sharePath("in/big.bin") + "\t\\Inbox\\big.bin");
    EXPECT_GE(plan.first().section(u'\t', 7, 7).toULongLong(),
              quint64(16 * MiB)); // at most the last 64 MiB again
    params.settings.DefaultSession = {"Send", "Fetch"};
    EXPECT_EQ(tarvo({"send", "--yes"}).exitCode, 0);
    EXPECT_TRUE(TempFolder::read(native("\\Inbox\\big.bin")) == content);
    EXPECT_TRUE(readShare("out/big.bin") == Pattern(6 * MiB, 1));
    EXPECT_EQ(PartsIn(native("\\Inbox")) + PartsIn(onShare("out")), QStringList());
    const QByteArray record = TempFolder::read(m_work.filePath("state/tarvo/runs.log"));
    EXPECT_TRUE(record.contains("resumed at ")) << record.constData();
}

TEST(ProgressLineTest, FitsTheTerminalAndShortensTheNameInTheMiddle)
{
    const ProgressSnapshot shot{.fileNumber = 1, .fileDone = 1 << 20, .fileSize = 4 << 20};
    const QString name = "quarterly-report-of-the-northern-region.csv";

    EXPECT_EQ(ProgressLineText(name, shot, 2.5 * (1 << 20), 120),
              name + "   25%  1.0 MB of 4.0 MB  2.5 MB/s");
    ProgressSnapshot resumed = shot;
    resumed.fileResumedAt = 3 << 20;
    resumed.fileDone = 3 << 20;
    EXPECT_EQ(ProgressLineText(name, resumed, std::nullopt, 120),
              name + "   75%  3.0 MB of 4.0 MB  resuming at 3.0 MB of 4.0 MB");
    const QString narrow = ProgressLineText(name, shot, std::nullopt, 50);
    EXPECT_LT(narrow.size(), 50);
    EXPECT_TRUE(narrow.startsWith("quarterly-") && narrow.contains("~") &&
                narrow.endsWith("25%  1.0 MB of 4.0 MB"))
        << narrow.toStdString();
}

} // namespace
} // namespace tarvo::test
