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
    void office(const QString& postOp)
    {
        addSession("Office", line("Put", "\\Docs", "\\out", postOp, "\\Sent"));
    }
    Outcome send(const QStringList& arguments) { return tarvo(QStringList{"send"} + arguments); }
    // The lines of standard output.
    static QStringList lines(const Outcome& run)
    {
        return QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    }
    QString target(const QString& name) const { return sharePath("out/" + name); }
};

TEST_F(SendCommandTest, NamesPickTheRowsAndEachFileIsPrinted)
{
    office("None");
    const Outcome picked = send({"B*", "x?z"});
    EXPECT_EQ(picked.exitCode, 0) << picked.err.constData();
    EXPECT_EQ(lines(picked),
              QStringList({"Transferring file 1 of 1 ...\t\\Docs\\b.txt\t" + target("b.txt"),
                           "1 of 1 files are transferred successfully"}));
    EXPECT_EQ(shareNames("out"), QStringList{"b.txt"});
}

// Without --yes or --no a question is cancelled: the source stays.
TEST_F(SendCommandTest, QuestionsAreAnsweredByTheFlagsOrCancelled)
{
    office("Del");
    EXPECT_EQ(send({"a.txt"}).exitCode, 0);
    EXPECT_EQ(send({"--no", "a.txt"}).exitCode, 0);
    EXPECT_TRUE(deviceHas("\\Docs\\a.txt"));
    const Outcome yes = send({"--yes", "a.txt"});
    EXPECT_TRUE(yes.err.contains("Delete file \\Docs\\a.txt ?")) << yes.err.constData();
    EXPECT_FALSE(deviceHas("\\Docs\\a.txt"));
}

// A dry run connects and lists as a send does, prints what the send would do
// and changes nothing; NAME patterns keep a Sync mirror to the files they
// match, in a dry run as in a real one.
TEST_F(SendCommandTest, ADryRunSaysWhatASendWouldDoAndChangesNothing)
{
    office("Sync");
    params.settings.DefaultChoice = ReplaceNoToAll;
    writeDevice("\\Docs\\b.txt", "b, changed");
    writeDevice("\\Docs\\c.txt", "c");
    for (const char* name : {"b.txt", "c.txt", "old.txt", "notes.doc"})
        writeShare("out/" + QString(name), name == QByteArray("b.txt") ? "b" : "c");
    QDir().mkpath(native("\\Sent"));

    const Outcome dry = send({"--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.constData();
    EXPECT_EQ(lines(dry),
              QStringList({"prune\t" + target("notes.doc"), "prune\t" + target("old.txt"),
                           "copy\t\\Docs\\a.txt\t" + target("a.txt"),
                           "replace\t\\Docs\\b.txt\t" + target("b.txt"),
                           "keep\t\\Docs\\c.txt\t" + target("c.txt"),
                           "Nothing was changed: this was a dry run."}));
    EXPECT_FALSE(send({"--dry-run", "*.txt"}).out.contains("notes.doc"));
    EXPECT_EQ(shareNames("out"), QStringList({"b.txt", "c.txt", "notes.doc", "old.txt"}));
    EXPECT_EQ(readShare("out/b.txt"), "b");

    const Outcome real = send({"*.txt"});
    EXPECT_EQ(real.exitCode, 0) << real.err.constData();
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt", "b.txt", "c.txt", "notes.doc"}));
    EXPECT_EQ(readShare("out/b.txt"), "b, changed");

    params.settings.Sessions.insert("Office", line("Put", "\\Docs", "\\out", "Move", "\\Sent"));
    QFile::remove(onShare("out/a.txt"));
    EXPECT_EQ(lines(send({"--dry-run", "a.txt"})),
              QStringList({"copy\t\\Docs\\a.txt\t" + target("a.txt"),
                           "move\t\\Docs\\a.txt\t\\Sent\\a.txt",
                           "Nothing was changed: this was a dry run."}));
    EXPECT_TRUE(deviceHas("\\Docs\\a.txt"));
}

// The exit status tells a script or a cron job whether everything asked was
// done: 0 also for nothing to send, 1 when a copy, a post-operation or a
// session failed, 2 for a wrong command line or an unusable configuration.
// The output never shows a password, and a message's reason is its second line.
struct Exit
{
    const char* name;
    const char* postOp;
    const char* defaults;  // DefaultSession
    const char* arguments; // separated by blanks
    int exitCode;
    const char* lastLine; // of standard output; empty: none
    const char* error;    // in standard error
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
    office(row.postOp);
    addSession("Locked", line("Put", "\\Docs", "\\out", "None", {}, "Wrong-Pw-7"));
    addSession("Lost", line("Put", "\\Docs", "\\no such folder"));
    params.settings.DefaultSession = QString(row.defaults).split(u',', Qt::SkipEmptyParts);
    writeDevice("\\Sent\\a.txt", "taken"); // a Move's target

    const Outcome run = send(QString(row.arguments).split(u' ', Qt::SkipEmptyParts));

    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.constData();
    EXPECT_EQ(lines(run).value(lines(run).size() - 1), row.lastLine);
    EXPECT_TRUE(run.err.contains(row.error)) << run.err.constData();
    EXPECT_FALSE((run.out + run.err).contains(samba().password().toUtf8()) ||
                 run.err.contains("Wrong-Pw-7"));
}

const char* const AllSent = "2 of 2 files are transferred successfully";

INSTANTIATE_TEST_SUITE_P(
    Cases, SendExitTest,
    ::testing::Values(
        Exit{"EverythingSent", "None", "Office", "", 0, AllSent, ""},
        Exit{"NothingToSend", "None", "Office", "*.doc", 0, "", "Nothing to send\n"},
        Exit{"ACopyFailed", "None", "Lost", "a.txt", 1, "0 of 1 files are transferred successfully",
             "Failed to copy file \\Docs\\a.txt to "},
        Exit{"APostOperationFailed", "Move", "Office", "", 1, "1 post-operation failed",
             "Failed to move file \\Docs\\a.txt to \\Sent\\a.txt\nA file of that name already "
             "exists."},
        Exit{"ASessionCouldNotBeConnected", "None", "Office,Locked", "a.txt", 1,
             "1 of 2 files are transferred successfully", "\nWrong user name or password."},
        Exit{"YesAndNo", "None", "Office", "--yes --no", 2, "",
             "--yes and --no exclude each other"},
        Exit{"AnUnknownOption", "None", "Office", "--maybe", 2, "", "usage"},
        Exit{"NoDefaultSession", "None", "", "", 2, "", "Please select a default session first"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
