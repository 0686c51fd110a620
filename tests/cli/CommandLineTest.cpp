// The command line as a user runs it: the real program in a child process.
#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SambaServer.h"

#include <gtest/gtest.h>
#include <QDir>

namespace tarvo::test {
namespace {

class CommandLineTest : public ::testing::Test
{
protected:
    // Runs the program (or another) without a display, a terminal or the user's registry.
    Outcome tarvo(const QStringList& arguments,
                  const QString& program = TARVO_BINARY_DIR "/app/tarvo")
    {
        const QStringList environment{"TARVO_REGISTRY=" + folder.filePath("registry.ini"),
                                      "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="};
        return FinishProgram(StartProgram(program, arguments, environment, folder), folder);
    }

    TempFolder folder;
};

// A file as a user writes it, with mistakes: the first of two lines of a
// session is not used, and its mistakes are not noted.
const QByteArray HandWritten = "[ setting ]\n"
                               "filter = *.txt ; my types\n"
                               "ShowHidden=no\n"
                               "DefaultSession=Office,Ofice\n"
                               "[Session]\n"
                               "Office=Net,Putt,\\\\pc:99999\\docs,W,\\Out,\\,Move,,u,p\n"
                               "Office=Net,Put,\\\\pc\\docs,WORKGROUP,\\Out,\\,Move,\\Sent,guest,"
                               "top,secret\n"
                               "Old=Ftp,Get,ftp.example.com\n"
                               "Odd=Net,Put,\\\\pc,W,\\Out,\\,Mov\n";

// The sessions, and what a save would write, but never a password (which
// SaveSettingsTest reads back byte for byte). Mistakes in the file are noted
// on standard error only, and the file stays as it is.
TEST_F(CommandLineTest, ConfigShowAndSessionsShowTheFileButNoPassword)
{
    const QString path = folder.write("tarvo.txt", HandWritten);
    const Outcome sessions = tarvo({"--config", path, "sessions"});
    EXPECT_EQ(sessions.exitCode, 0);
    EXPECT_EQ(sessions.out, "Office\tNet\tPut\t\\\\pc\\docs\t\\Out\t\\\tMove\t\\Sent\tdefault\n"
                            "Old\tFtp\tGet\t\t\t\t\t\t-\n"
                            "Odd\tNet\tPut\t\\\\\\pc\t\\Out\t\\\tNone\t\t-\n");
    EXPECT_EQ(sessions.err,
              "Note: Session \"Office\" is defined twice; the last line is used.\n"
              "Note: Session \"Odd\": \"\\\\pc\" names no share; write \\\\server\\share.\n"
              "Note: Session \"Odd\": unknown post-operation \"Mov\"; it is taken as None.\n"
              "Note: DefaultSession names \"Ofice\", which is no session.\n");

    const Outcome shown = tarvo({"--config", path, "config", "show"});
    EXPECT_EQ(TempFolder::read(path), HandWritten);
    EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();
    Settings expected;
    LoadSettingsFromBytes(expected, HandWritten);
    expected.Sessions.insert("Office", HidePassword(expected.Sessions.line("Office")));
    EXPECT_EQ(shown.out, SettingsFileBytes(expected));
}

// A wrong command line exits 2; asking for help or the version exits 0.
// `send` takes its options anywhere among its NAMEs, never --yes with --no,
// and no other word that starts with a dash ("--" ends no options there).
// A row: its name, the arguments (separated by blanks), the exit code, a
// text of the output or the error output.
using Usage = std::tuple<const char*, const char*, int, const char*>;

class UsageTest : public CommandLineTest, public ::testing::WithParamInterface<Usage>
{};

TEST_P(UsageTest, ExitsWithItsStatus)
{
    const auto& [name, arguments, exitCode, says] = GetParam();
    const Outcome run = tarvo(QString(arguments).split(u' ', Qt::SkipEmptyParts));
    EXPECT_EQ(run.exitCode, exitCode);
    EXPECT_TRUE((run.out + run.err).contains(says)) << run.out.data() << run.err.data();
}

const char* const SendUsage = "usage: tarvo send [--yes | --no]";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UsageTest,
    ::testing::Values(Usage{"Version", "--version", 0, "Tarvo 1.1\n"},
                      Usage{"Help", "--help", 0, "config show"},
                      Usage{"UnknownCommand", "bogus", 2, "bogus"},
                      Usage{"NoDisplay", "", 2, "there is no display"},
                      Usage{"IncompleteCommand", "config", 2, "usage"},
                      Usage{"SendYesAndNo", "send --no a.txt --yes", 2, "--yes and --no exclude"},
                      Usage{"SendUnknownOption", "send a.txt --bogus", 2, SendUsage},
                      Usage{"SendEndOfOptions", "send -- a.txt", 2, SendUsage},
                      Usage{"SendLoneDash", "send -", 2, SendUsage},
                      Usage{"ListTakesNoNames", "list a.txt", 2, "usage: tarvo list [--session"}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// The README's first command, the way CI runs it: no display, so the demo's
// files are sent with 'tarvo send --yes'.
TEST_F(CommandLineTest, TheDemoSendsEveryFileAndMovesTheSentOnes)
{
    if (!SambaServer::isInstalled())
        GTEST_SKIP() << "Samba (smbd) is not installed";
    const QString demo = folder.filePath("demo");
    const Outcome run =
        tarvo({TARVO_SOURCE_DIR "/scripts/demo.sh", TARVO_BINARY_DIR "/app/tarvo", demo}, "bash");
    EXPECT_EQ(run.exitCode, 0) << run.out.constData() << run.err.constData();
    EXPECT_TRUE(run.out.contains("\n5 of 5 files are transferred successfully\n"));
    const QStringList sent{"inventory.csv", "notes.txt", "report.txt"};
    EXPECT_EQ(QDir(demo + "/device/My Documents/Sent").entryList(QDir::Files), sent);
    EXPECT_EQ(QDir(demo + "/samba/share/Incoming").entryList(QDir::Files), sent);
    EXPECT_FALSE((run.out + run.err).contains("demo-")) << "the password was shown";
}

} // namespace
} // namespace tarvo::test
