#include "tests/support/MemoryRunFixture.h"

#include <thread>

namespace tarvo::test {
namespace {

// A run stopped by the user in the middle of a file.
class RunStopTest : public MemoryRunFixture
{
protected:
    void SetUp() override
    {
        files.addFile(QStringLiteral("\\Docs\\big.bin"), QByteArray(1 << 20, 'n'));
        files.addFile(QStringLiteral("\\Docs\\small.txt"), "s");
        files.addFile(onShare(QStringLiteral("out\\big.bin")), QByteArray(1 << 20, 'o'));
        files.addFile(QStringLiteral("\\Later\\a.txt"), "a");
        files.addFolder(onShare(QStringLiteral("later")));
    }

    // Stops the run once the big file's copy has moved its first block,
    // after `before` has come true.
    void stopInBigFile(std::function<bool()> before = [] { return true; })
    {
        files.setBlockHook([this, before](const QString& source, quint64) {
            if (!source.endsWith(QLatin1String("big.bin")) || cancel.cancelled())
                return;
            while (!before())
                std::this_thread::yield();
            cancel.cancel();
        });
    }
};

TEST_F(RunStopTest, LeavesTheOldTargetWholeAndStartsNothingAfter)
{
    addSession(QStringLiteral("Office"), line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                              QStringLiteral("\\out"), QStringLiteral("Del")));
    addSession(QStringLiteral("Later"),
               line(QStringLiteral("Put"), QStringLiteral("\\Later"), QStringLiteral("\\later")));
    choose(QStringLiteral("Office"), {QStringLiteral("\\Docs\\big.bin")});
    choose(QStringLiteral("Later"), {QStringLiteral("\\Later\\a.txt")});
    stopInBigFile();

    const RunSummary summary = run();

    EXPECT_EQ(files.data(onShare(QStringLiteral("out\\big.bin"))), QByteArray(1 << 20, 'o'));
    EXPECT_TRUE(files.exists(QStringLiteral("\\Docs\\big.bin"))) << "Del ran after the stop";
    EXPECT_TRUE(files.names(onShare(QStringLiteral("later"))).isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(summary.succeeded, 0);
    EXPECT_EQ(summary.total, 2);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_FALSE(summary.complete());
}

// The copies of small files run ahead of the big one; those that ended
// before the stop are in place, so they count as sent and are filed.
TEST_F(RunStopTest, CountsTheCopiesThatEndedAheadOfTheStop)
{
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out"),
                    QStringLiteral("Move"), QStringLiteral("\\Sent")));
    files.addFolder(QStringLiteral("\\Sent"));
    choose(QStringLiteral("Office"),
           {QStringLiteral("\\Docs\\big.bin"), QStringLiteral("\\Docs\\small.txt")});
    stopInBigFile([this] { return files.exists(onShare(QStringLiteral("out\\small.txt"))); });

    const RunSummary summary = run();

    EXPECT_EQ(summary.succeeded, 1);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(files.names(QStringLiteral("\\Sent")), QStringList{QStringLiteral("small.txt")});
    EXPECT_EQ(files.data(onShare(QStringLiteral("out\\big.bin"))), QByteArray(1 << 20, 'o'));
    EXPECT_TRUE(files.exists(QStringLiteral("\\Docs\\big.bin")));
}

} // namespace
} // namespace tarvo::test
