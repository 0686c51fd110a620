#include "tests/transfer/RunFixture.h"

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

    void writeConfig(const QString& postOp, const QString& defaults = QStringLiteral("Office"))
    {
        m_config = m_folder.write(
            QStringLiteral("tarvo.txt"),
            QStringLiteral("[Setting]\r\nDefaultSession=%1\r\n[Session]\r\nOffice=%2\r\n")
                .arg(defaults, line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                    QStringLiteral("\\out"), postOp, QStringLiteral("\\Sent")))
                .toUtf8());
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

TEST_F(SendCommandTest, AFailedCopyEndsWithStatusOne)
{
    writeConfig(QStringLiteral("None"));
    QDir(samba().shareFolder() + QStringLiteral("/out")).removeRecursively();
    const Result result = send({QStringLiteral("a.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Failed to copy file \\Docs\\a.txt to %1")
                                        .arg(sharePath(QStringLiteral("out/a.txt")))))
        << result.err.toStdString();
    EXPECT_EQ(result.out.last(), QStringLiteral("0 of 1 files are transferred successfully"));
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

TEST_F(SendCommandTest, BadUsageAndUnusableConfigurationsEndWithStatusTwo)
{
    writeConfig(QStringLiteral("None"));
    EXPECT_EQ(send({QStringLiteral("--yes"), QStringLiteral("--no")}).exitCode, 2);
    EXPECT_EQ(send({QStringLiteral("--maybe")}).exitCode, 2);

    writeConfig(QStringLiteral("None"), QString());
    const Result result = send({});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("Please select a default session first")));
    EXPECT_TRUE(shareNames(QStringLiteral("out")).isEmpty());
}

} // namespace
} // namespace tarvo::test
