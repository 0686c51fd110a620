#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tarvo::test {
namespace {

// `tarvo send` as a user runs it: the program itself, a configuration file,
// the test share, no terminal.
class SendCommandTest : public RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        writeDevice(QStringLiteral("\\Docs\\a.txt"), "a");
        writeDevice(QStringLiteral("\\Docs\\b.txt"), "b");
        makeShareFolder(QStringLiteral("out"));
    }

    void writeConfig(const QString& postOp, const QString& defaults = QStringLiteral("Office"),
                     const QString& settings = {})
    {
        m_text = QStringLiteral("[Setting]\r\n%1DefaultSession=%2\r\n[Session]\r\nOffice=%3\r\n")
                     .arg(settings, defaults,
                          line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                               QStringLiteral("\\out"), postOp, QStringLiteral("\\Sent")));
        m_config = m_folder.write(QStringLiteral("tarvo.txt"), m_text.toUtf8());
    }
    void appendSession(const QString& name, const QString& sessionLine)
    {
        m_text += name + u'=' + sessionLine + QStringLiteral("\r\n");
        m_config = m_folder.write(QStringLiteral("tarvo.txt"), m_text.toUtf8());
    }

    struct Result
    {
        int exitCode;
        QStringList out;
        QString err;
    };

    Result send(const QStringList& arguments)
    {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARVO_EXECUTABLE),
                      QStringList{QStringLiteral("--config"), m_config, QStringLiteral("--root"),
                                  platform->devicePaths().root(), QStringLiteral("send")} +
                          arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        return {process.exitCode(), out.split(u'\n', Qt::SkipEmptyParts),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QString progress(int i, int n, const QString& name) const
    {
        return QStringLiteral("Transferring file %1 of %2 ...\t\\Docs\\%3\t%4")
            .arg(i)
            .arg(n)
            .arg(name, sharePath(QStringLiteral("out/") + name));
    }

private:
    TempFolder m_folder;
    QString m_text;
    QString m_config;
};

TEST_F(SendCommandTest, SendsEveryRowAndPrintsEachFile)
{
    writeConfig(QStringLiteral("None"));
    const Result result = send({});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringList({progress(1, 2, QStringLiteral("a.txt")),
                                       progress(2, 2, QStringLiteral("b.txt")),
                                       "2 of 2 files are transferred successfully"}));
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt", "b.txt"}));
}

TEST_F(SendCommandTest, NamesPickRowsByWildcard)
{
    writeConfig(QStringLiteral("None"));
    const Result result = send({QStringLiteral("B*"), QStringLiteral("x?z")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, QStringList({progress(1, 1, QStringLiteral("b.txt")),
                                       "1 of 1 files are transferred successfully"}));

    // Nothing to send is no failure: a cron job meets an empty outbox often.
    const Result none = send({QStringLiteral("*.doc")});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.err, QStringLiteral("Nothing to send\n"));
}

TEST_F(SendCommandTest, QuestionsAreAnsweredByTheFlagsOrCancelled)
{
    writeConfig(QStringLiteral("Del"));
    const struct
    {
        QStringList flags;
        bool sourceStays;
    } cases[] = {{{}, true}, {{QStringLiteral("--no")}, true}, {{QStringLiteral("--yes")}, false}};
    for (const auto& c : cases) {
        const Result result = send(c.flags + QStringList{QStringLiteral("a.txt")});
        EXPECT_EQ(result.exitCode, 0) << c.flags.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains(QStringLiteral("Delete file \\Docs\\a.txt ?")));
        EXPECT_EQ(deviceHas(QStringLiteral("\\Docs\\a.txt")), c.sourceStays)
            << c.flags.join(u' ').toStdString();
    }
}

// A dry run connects and lists as a send does, prints what the send would
// do, and changes nothing; NAME patterns keep a Sync mirror to the files they
// match, in a dry run as in a real one.
TEST_F(SendCommandTest, ADryRunSaysWhatASendWouldDoAndChangesNothing)
{
    writeConfig(QStringLiteral("Sync"), QStringLiteral("Office"),
                QStringLiteral("DefaultChoice=No\r\n"));
    writeDevice(QStringLiteral("\\Docs\\b.txt"), "b, changed");
    writeDevice(QStringLiteral("\\Docs\\c.txt"), "c");
    writeShare(QStringLiteral("out/b.txt"), "b");
    writeShare(QStringLiteral("out/c.txt"), "c");
    writeShare(QStringLiteral("out/old.txt"), "old");
    writeShare(QStringLiteral("out/notes.doc"), "notes");
    const auto target = [this](const char* name) {
        return sharePath(QStringLiteral("out/") + QLatin1String(name));
    };

    const Result dry = send({QStringLiteral("--dry-run")});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out, QStringList({QStringLiteral("prune\t") + target("notes.doc"),
                                    QStringLiteral("prune\t") + target("old.txt"),
                                    QStringLiteral("copy\t\\Docs\\a.txt\t") + target("a.txt"),
                                    QStringLiteral("replace\t\\Docs\\b.txt\t") + target("b.txt"),
                                    QStringLiteral("keep\t\\Docs\\c.txt\t") + target("c.txt"),
                                    QStringLiteral("Nothing was changed: this was a dry run.")}));
    EXPECT_EQ(shareNames(QStringLiteral("out")),
              QStringList({"b.txt", "c.txt", "notes.doc", "old.txt"}));
    EXPECT_EQ(readShare(QStringLiteral("out/b.txt")), "b");

    const Result matched = send({QStringLiteral("--dry-run"), QStringLiteral("*.txt")});
    EXPECT_FALSE(matched.out.join(u'\n').contains(QStringLiteral("notes.doc")));

    const Result real = send({QStringLiteral("*.txt")});
    EXPECT_EQ(real.exitCode, 0) << real.err.toStdString();
    EXPECT_EQ(shareNames(QStringLiteral("out")),
              QStringList({"a.txt", "b.txt", "c.txt", "notes.doc"}));
    EXPECT_EQ(readShare(QStringLiteral("out/b.txt")), "b, changed");
}

TEST_F(SendCommandTest, ADryRunNamesEachPostOperationWithItsTarget)
{
    writeConfig(QStringLiteral("Move"));
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\Sent")));
    const Result dry = send({QStringLiteral("--dry-run"), QStringLiteral("a.txt")});
    EXPECT_EQ(dry.exitCode, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out, QStringList({QStringLiteral("copy\t\\Docs\\a.txt\t") +
                                        sharePath(QStringLiteral("out/a.txt")),
                                    QStringLiteral("move\t\\Docs\\a.txt\t\\Sent\\a.txt"),
                                    QStringLiteral("Nothing was changed: this was a dry run.")}));
    EXPECT_TRUE(deviceHas(QStringLiteral("\\Docs\\a.txt")));
    EXPECT_TRUE(shareNames(QStringLiteral("out")).isEmpty());
}

// The exit status tells a script or a cron job whether everything asked was
// done: 0 also for nothing to send, 1 when a copy, a post-operation or a
// session failed, 2 for a wrong command line or an unusable configuration.
struct ExitCase
{
    const char* name;
    const char* postOp;
    const char* defaults; // DefaultSession
    QStringList arguments;
    void (*breakSomething)(SendCommandTest& test);
    int exitCode;
    const char* lastLine; // of standard output; empty: none
    const char* error;    // in standard error; empty: nothing looked for
};

void PrintTo(const ExitCase& c, std::ostream* out)
{
    *out << c.name;
}

class SendExitTest : public SendCommandTest, public ::testing::WithParamInterface<ExitCase>
{
public:
    // Lets the rows break the set-up that the fixture made.
    void removeShareFolder()
    {
        QDir(samba().shareFolder() + QStringLiteral("/out")).removeRecursively();
    }
    void takePostFileName() { writeDevice(QStringLiteral("\\Sent\\a.txt"), "old"); }
    void addLockedSession()
    {
        appendSession(QStringLiteral("Locked"),
                      line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out"),
                           QStringLiteral("None"), QString(), QStringLiteral("wrong password")));
    }
};

TEST_P(SendExitTest, SaysWhetherEverythingWasDone)
{
    const ExitCase& c = GetParam();
    writeConfig(QString::fromLatin1(c.postOp), QString::fromLatin1(c.defaults));
    if (c.breakSomething)
        c.breakSomething(*this);

    const Result result = send(c.arguments);

    EXPECT_EQ(result.exitCode, c.exitCode) << result.err.toStdString();
    if (*c.lastLine)
        EXPECT_EQ(result.out.value(result.out.size() - 1), QString::fromUtf8(c.lastLine));
    else
        EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains(QString::fromUtf8(c.error))) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendExitTest,
    ::testing::Values(
        ExitCase{"EverythingSent",
                 "None",
                 "Office",
                 {},
                 nullptr,
                 0,
                 "2 of 2 files are transferred successfully",
                 ""},
        ExitCase{"NothingToSend", "None", "Office", {"*.doc"}, nullptr, 0, "", "Nothing to send"},
        ExitCase{"ACopyFailed",
                 "None",
                 "Office",
                 {"a.txt"},
                 [](SendCommandTest& t) { static_cast<SendExitTest&>(t).removeShareFolder(); },
                 1,
                 "0 of 1 files are transferred successfully",
                 "Failed to copy file \\Docs\\a.txt to "},
        ExitCase{"APostOperationFailed",
                 "Move",
                 "Office",
                 {},
                 [](SendCommandTest& t) { static_cast<SendExitTest&>(t).takePostFileName(); },
                 1,
                 "1 post-operation failed",
                 "Failed to move file \\Docs\\a.txt to \\Sent\\a.txt\n"
                 "A file of that name already exists."},
        ExitCase{"ASessionCouldNotBeConnected",
                 "None",
                 "Office,Locked",
                 {"a.txt"},
                 [](SendCommandTest& t) { static_cast<SendExitTest&>(t).addLockedSession(); },
                 1,
                 "1 of 2 files are transferred successfully",
                 "Wrong user name or password."},
        ExitCase{"YesAndNo",
                 "None",
                 "Office",
                 {"--yes", "--no"},
                 nullptr,
                 2,
                 "",
                 "--yes and --no exclude each other"},
        ExitCase{"AnUnknownOption", "None", "Office", {"--maybe"}, nullptr, 2, "", "usage"},
        ExitCase{"NoDefaultSession",
                 "None",
                 "",
                 {},
                 nullptr,
                 2,
                 "",
                 "Please select a default session first"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo::test
