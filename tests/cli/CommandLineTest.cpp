// The command line as a user runs it: the real program in a child process.
#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>

using namespace tarvo;
using tarvo::test::TempFolder;

namespace {

struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CommandLineTest : public ::testing::Test
{
protected:
    Outcome tarvo(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Keep the user's own registry stand-in out of the tests.
        environment.insert("TARVO_REGISTRY", folder.filePath("registry.ini"));
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARVO_BINARY_DIR "/app/tarvo"), arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    TempFolder folder;
};

const QByteArray HandWritten = "[ setting ]\n"
                               "filter = *.txt ; my types\n"
                               "ShowHidden=no\n"
                               "DefaultSession=Office\n"
                               "[Session]\n"
                               "Office=Net,Put,\\\\pc\\docs,WORKGROUP,\\Out,\\,Move,\\Sent,guest,"
                               "top,secret\n"
                               "Old=Ftp,Get,ftp.example.com\n";

} // namespace

TEST_F(CommandLineTest, ConfigShowPrintsWhatASaveWouldWrite)
{
    const QString path = folder.write("hand.txt", HandWritten);
    const Outcome shown = tarvo({"--config", path, "config", "show"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err.constData();

    // Byte for byte what a save writes, except that no password is shown.
    Settings expected;
    LoadSettingsFromFile(expected, path);
    expected.Sessions.insert("Office", HidePassword(expected.Sessions.value("Office")));
    EXPECT_EQ(shown.out, SettingsFileBytes(expected));
    EXPECT_FALSE(shown.out.contains("secret"));
    EXPECT_TRUE(shown.out.contains("\r\nFilter=*.txt\r\n"));
    EXPECT_TRUE(shown.out.contains("\r\nShowHidden=No\r\n"));
    EXPECT_TRUE(shown.out.contains("\r\nDefaultChoice=Yes\r\n"));

    // A file written by a save comes back byte for byte.
    const QString saved = folder.write("saved.txt", shown.out);
    EXPECT_EQ(tarvo({"--config", saved, "config", "show"}).out, shown.out);
}

TEST_F(CommandLineTest, SessionsNeverShowPasswords)
{
    const Outcome run = tarvo({"--config", folder.write("t.txt", HandWritten), "sessions"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Office\tNet\tPut\t\\\\pc\\docs\t\\Out\t\\\tMove\t\\Sent\tdefault\n"
                       "Old\tFtp\tGet\t\t\t\t\t\t-\n");
    EXPECT_FALSE(run.out.contains("secret"));
    EXPECT_FALSE(run.err.contains("secret"));
}

TEST_F(CommandLineTest, MistakesInTheFileAreNotedOnStandardError)
{
    const QByteArray text = "[Setting]\r\nDefaultSession=Ofice\r\n[Session]\r\n"
                            "Office=Net,Putt,\\\\pc:99999\\docs,W,\\Out,\\,Move,,u,p\r\n"
                            "Office=Net,Put,\\\\pc,W,\\Out,\\,Mov,,u,p\r\n";
    const QString path = folder.write("mistakes.txt", text);
    const QByteArray notes =
        "Note: Session \"Office\": \"\\\\pc\" names no share; write \\\\server\\share.\n"
        "Note: Session \"Office\": unknown post-operation \"Mov\"; it is taken as None.\n"
        "Note: Session \"Office\" is defined twice; the last line is used.\n"
        "Note: DefaultSession names \"Ofice\", which is no session.\n";

    const Outcome sessions = tarvo({"--config", path, "sessions"});
    EXPECT_EQ(sessions.exitCode, 0);
    EXPECT_EQ(sessions.out, "Office\tNet\tPut\t\\\\\\pc\t\\Out\t\\\tNone\t\t-\n");
    EXPECT_EQ(sessions.err, notes);

    // The notes never reach a command's output.
    const Outcome shown = tarvo({"--config", path, "config", "show"});
    EXPECT_EQ(shown.err, notes);
    Settings loaded;
    LoadSettingsFromBytes(loaded, text);
    loaded.Sessions.insert("Office", HidePassword(loaded.Sessions.value("Office")));
    EXPECT_EQ(shown.out, SettingsFileBytes(loaded));
    EXPECT_EQ(TempFolder::read(path), text);
}

TEST_F(CommandLineTest, MissingConfigurationWithoutATerminal)
{
    const QString path = folder.filePath("absent.txt");
    const Outcome run = tarvo({"--config", path, "config", "show"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(
        run.err.contains("No configuration file\n" + path.toUtf8() + "\nUse default settings?"));
    EXPECT_TRUE(run.err.contains("-> Cancel"));
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CommandLineTest, UsageAndVersion)
{
    EXPECT_EQ(tarvo({"--version"}).out, "Tarvo 1.1\n");
    const Outcome help = tarvo({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("config show"));
    EXPECT_TRUE(help.out.contains("sessions"));
    EXPECT_EQ(tarvo({"bogus"}).exitCode, 2);
    const Outcome noDisplay = tarvo({});
    EXPECT_EQ(noDisplay.exitCode, 2);
    EXPECT_TRUE(noDisplay.err.contains("there is no display")) << noDisplay.err.constData();
    EXPECT_EQ(tarvo({"config"}).exitCode, 2);
    EXPECT_EQ(tarvo({"--root", folder.filePath("nowhere"), "sessions"}).exitCode, 2);
    const Outcome commandHelp = tarvo({"config", "--help"});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_TRUE(commandHelp.out.contains("Usage: tarvo [--config FILE] [--root DIR] config show"));
}
