#include "tests/e2e/FaultRunFixture.h"

#include <gtest/gtest.h>
#include <QSemaphore>

namespace tarvo::test {
namespace {

// What a copy cut off by a server that went away says.
const char* const Lost = "The server cannot be reached.";

// The server goes away in the middle of a 200 MB copy. The file gets one
// message, the run tries the next files and sessions, and nothing is lost:
// the source stays (its post-operation does not act), the old target is
// whole, and no part file is left on either side once the server is back.
// The small next file's copy runs ahead of the big one's, so it may have
// arrived before the cut: then it counts and its post-operation acts.
class ServerLossTest : public FaultRunFixture
{
protected:
    // Runs the transfer, stops the server once a part file in partFolder has
    // grown past 8 MB, and starts it again when the session "Later" begins.
    // The number of files transferred; cutOff says whether the stop came
    // before the copy ended.
    int runCutOffIn(const QString& partFolder, bool& cutOff)
    {
        QSemaphore stopped;
        watcher.onSession = [&](const QString& name) {
            if (name != u"Later")
                return;
            stopped.acquire(); // the copy can fail before stop() has returned
            if (!samba().start())
                ADD_FAILURE() << samba().error().toStdString();
        };
        cutOff = false;
        return runWhile([&](QThread& run) {
            cutOff = WaitForPartToGrow(partFolder, 8 << 20, run);
            if (cutOff)
                samba().stop();
            stopped.release();
        });
    }
};

TEST_F(ServerLossTest, APutCutOffByTheServerLosesNothing)
{
    WriteBigFile(native(QStringLiteral("\\Outbox\\big.bin")), BigFileSize);
    writeDevice(QStringLiteral("\\Outbox\\next.txt"), "next");
    writeDevice(QStringLiteral("\\Later\\later.txt"), "later");
    writeShare(QStringLiteral("out/big.bin"), "old target");
    makeShareFolder(QStringLiteral("later"));
    QDir().mkpath(native(QStringLiteral("\\Sent")));
    addSession(QStringLiteral("Out"), line(QStringLiteral("Put"), QStringLiteral("\\Outbox"),
                                           QStringLiteral("\\out"), QStringLiteral("Del")));
    addSession(QStringLiteral("Later"),
               line(QStringLiteral("Put"), QStringLiteral("\\Later"), QStringLiteral("\\later"),
                    QStringLiteral("Move"), QStringLiteral("\\Sent")));
    params.entries = {entry(QStringLiteral("Out"), QStringLiteral("\\Outbox\\big.bin")),
                      entry(QStringLiteral("Out"), QStringLiteral("\\Outbox\\next.txt")),
                      entry(QStringLiteral("Later"), QStringLiteral("\\Later\\later.txt"))};
    // The server is back for the later session.
    bool cutOff = false;
    const int succeeded = runCutOffIn(onShare(QStringLiteral("out")), cutOff);
    ASSERT_TRUE(cutOff) << "the copy ended before the server could be stopped";
    const bool nextSent = shareNames(QStringLiteral("out")).contains(u"next.txt");
    ASSERT_EQ(succeeded, nextSent ? 2 : 1) << messages.texts().join(u'\n').toStdString();

    QStringList expected = {copyFailed(QStringLiteral("\\Outbox\\big.bin"),
                                       sharePath(QStringLiteral("out/big.bin")), Lost)};
    if (nextSent)
        expected.append(QStringLiteral("Delete file \\Outbox\\next.txt ?"));
    else
        expected.append(copyFailed(QStringLiteral("\\Outbox\\next.txt"),
                                   sharePath(QStringLiteral("out/next.txt")), Lost));
    EXPECT_EQ(messages.texts(), expected);
    EXPECT_EQ(watcher.events().last(),
              QStringLiteral("%1 of 3 files are transferred successfully").arg(succeeded));
    // Del asked nothing and deleted nothing for the failed copies.
    EXPECT_EQ(QFileInfo(native(QStringLiteral("\\Outbox\\big.bin"))).size(), BigFileSize);
    if (nextSent)
        EXPECT_EQ(readShare(QStringLiteral("out/next.txt")), "next");
    else
        EXPECT_EQ(readDevice(QStringLiteral("\\Outbox\\next.txt")), "next");
    EXPECT_EQ(readShare(QStringLiteral("out/big.bin")), "old target");
    EXPECT_EQ(shareNames(QStringLiteral("out")),
              nextSent ? QStringList({"big.bin", "next.txt"}) : QStringList({"big.bin"}));
    EXPECT_TRUE(PartFiles(native(QStringLiteral("\\Outbox"))).isEmpty());
    // The later session ran as usual.
    EXPECT_EQ(readShare(QStringLiteral("later/later.txt")), "later");
    EXPECT_EQ(readDevice(QStringLiteral("\\Sent\\later.txt")), "later");
    EXPECT_FALSE(deviceHas(QStringLiteral("\\Later\\later.txt")));
}

TEST_F(ServerLossTest, AGetCutOffByTheServerLosesNothing)
{
    WriteBigFile(onShare(QStringLiteral("in/big.bin")), BigFileSize);
    writeShare(QStringLiteral("in/next.txt"), "next");
    writeShare(QStringLiteral("later/later.txt"), "later");
    writeDevice(QStringLiteral("\\Inbox\\big.bin"), "old target");
    QDir().mkpath(native(QStringLiteral("\\Later")));
    addSession(QStringLiteral("In"),
               line(QStringLiteral("Get"), QStringLiteral("\\Inbox"), QStringLiteral("\\in"),
                    QStringLiteral("Move"), QStringLiteral("\\Sent")));
    addSession(QStringLiteral("Later"), line(QStringLiteral("Get"), QStringLiteral("\\Later"),
                                             QStringLiteral("\\later"), QStringLiteral("Del")));
    params.entries = {entry(QStringLiteral("In"), sharePath(QStringLiteral("in/big.bin"))),
                      entry(QStringLiteral("In"), sharePath(QStringLiteral("in/next.txt"))),
                      entry(QStringLiteral("Later"), sharePath(QStringLiteral("later/later.txt")))};
    // The server is back for the later session.
    bool cutOff = false;
    const int succeeded = runCutOffIn(native(QStringLiteral("\\Inbox")), cutOff);
    ASSERT_TRUE(cutOff) << "the copy ended before the server could be stopped";
    const bool nextFetched = deviceHas(QStringLiteral("\\Inbox\\next.txt"));
    ASSERT_EQ(succeeded, nextFetched ? 2 : 1) << messages.texts().join(u'\n').toStdString();

    // One message each, and Move did not act on the files whose copy failed;
    // a next file that arrived before the cut could not be moved on the
    // server that had gone.
    QStringList expected = {copyFailed(sharePath(QStringLiteral("in/big.bin")),
                                       QStringLiteral("\\Inbox\\big.bin"), Lost)};
    if (nextFetched)
        expected.append(QStringLiteral("Failed to move file %1 to \\Sent\\next.txt\r\n%2")
                            .arg(sharePath(QStringLiteral("in/next.txt")), Lost));
    else
        expected.append(copyFailed(sharePath(QStringLiteral("in/next.txt")),
                                   QStringLiteral("\\Inbox\\next.txt"), Lost));
    expected.append(
        QStringLiteral("Delete file %1 ?").arg(sharePath(QStringLiteral("later/later.txt"))));
    EXPECT_EQ(messages.texts(), expected);
    // The failed Move is counted after the summary.
    const QStringList end = watcher.events().mid(watcher.events().size() - (nextFetched ? 2 : 1));
    EXPECT_EQ(end.first(),
              QStringLiteral("%1 of 3 files are transferred successfully").arg(succeeded));
    if (nextFetched) {
        EXPECT_EQ(end.last(), QStringLiteral("1 post-operation failed"));
    }
    EXPECT_EQ(QFileInfo(onShare(QStringLiteral("in/big.bin"))).size(), BigFileSize);
    EXPECT_EQ(readShare(QStringLiteral("in/next.txt")), "next");
    EXPECT_EQ(shareNames(QStringLiteral("in")), QStringList({"big.bin", "next.txt"}));
    EXPECT_FALSE(deviceHas(QStringLiteral("\\Sent")));
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\big.bin")), "old target");
    EXPECT_EQ(QDir(native(QStringLiteral("\\Inbox"))).entryList(QDir::Files | QDir::Hidden),
              nextFetched ? QStringList({"big.bin", "next.txt"}) : QStringList({"big.bin"}));
    // The later session fetched its file and deleted it on the share, as asked.
    EXPECT_EQ(readDevice(QStringLiteral("\\Later\\later.txt")), "later");
    EXPECT_TRUE(shareNames(QStringLiteral("later")).isEmpty());
}

} // namespace
} // namespace tarvo::test
