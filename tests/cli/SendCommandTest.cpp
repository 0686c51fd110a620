// `tarvo send` as a user runs it: the program itself, a configuration file,
// the test share, no terminal.
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

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
// match, in a dry run as in a real one.
TEST_F(SendCommandTest, ADryRunSaysWhatASendWouldDoAndChangesNothing)
{
    addSession("Office", line("Put", "\\Docs", "\\out", "Sync"));
    params.settings.DefaultChoice = ReplaceNoToAll;
    writeDevice("\\Docs\\b.txt", "b, changed");
    writeDevice("\\Docs\\c.txt", "c");
    for (const char* name : {"b.txt", "c.txt", "old.txt", "notes.doc"})
        writeShare("out/" + QString(name), name == QByteArray("b.txt") ? "b" : "c");

    EXPECT_EQ(send({"--dry-run"}),
              QStringList({"prune\t" + target("notes.doc"), "prune\t" + target("old.txt"),
                           "copy\t\\Docs\\a.txt\t" + target("a.txt"),
                           "replace\t\\Docs\\b.txt\t" + target("b.txt"),
                           "keep\t\\Docs\\c.txt\t" + target("c.txt"),
                           "Nothing was changed: this was a dry run."}));
    EXPECT_FALSE(send({"--dry-run", "*.txt"}).join(u'\n').contains("notes.doc"));
    EXPECT_EQ(shareNames("out"), QStringList({"b.txt", "c.txt", "notes.doc", "old.txt"}));
    EXPECT_EQ(readShare("out/b.txt"), "b");

    send({"*.txt"});
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt", "b.txt", "c.txt", "notes.doc"}));
    EXPECT_EQ(readShare("out/b.txt"), "b, changed");

    params.settings.Sessions.insert("Office", line("Put", "\\Docs", "\\out", "Move", "\\Sent"));
    QDir().mkpath(native("\\Sent"));
    QFile::remove(onShare("out/a.txt"));
    EXPECT_EQ(send({"--dry-run", "a.txt"}),
              QStringList({"copy\t\\Docs\\a.txt\t" + target("a.txt"),
                           "move\t\\Docs\\a.txt\t\\Sent\\a.txt",
                           "Nothing was changed: this was a dry run."}));
    EXPECT_TRUE(deviceHas("\\Docs\\a.txt"));
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
    const char* last;  // its last line
    const char* error; // in standard error
};

void PrintTo(const Exit& row, std::ostream* out)
{
    *out << row.name;
}

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
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(run.out.startsWith(row.first)) << run.out.constData();
    EXPECT_EQ(lines.value(lines.size() - 1), row.last);
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
        Exit{"APostOperationFailed", "Move", "Office", "", 1, "", "1 post-operation failed",
             "Failed to move file \\Docs\\a.txt to \\Sent\\a.txt\nA file of that name already "
             "exists."},
        Exit{"ASessionCouldNotBeConnected", "None", "Office,Locked", "a.txt", 1, "",
             "1 of 2 files are transferred successfully", "\nWrong user name or password."},
        Exit{"ADryRunCannotConnect", "None", "Office,Locked", "--dry-run a.txt", 1, "",
             "Nothing was changed: this was a dry run.", "\nWrong user name or password."},
        Exit{"NoDefaultSession", "None", "", "", 2, "", "",
             "Please select a default session first"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
