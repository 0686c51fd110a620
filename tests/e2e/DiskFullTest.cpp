#include "tests/e2e/FaultRunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

const char* const Full = "There is not enough space left on the disk.";

// The target runs out of space: a small tmpfs as the share's folder or as
// the local target folder. The file that does not fit gets one message and
// leaves no part file, so the files after it still fit; nothing is lost.
class DiskFullTest : public FaultRunFixture
{
protected:
    static constexpr int DiskMegabytes = 16;
    static constexpr qint64 TooBig = 24 << 20;
};

TEST_F(DiskFullTest, AFullShareKeepsTheOldTargetAndTheNextFilesFit)
{
    SmallDisk disk(onShare(QStringLiteral("out")), DiskMegabytes);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    WriteBigFile(native(QStringLiteral("\\Outbox\\big.bin")), TooBig);
    writeDevice(QStringLiteral("\\Outbox\\small.txt"), "small");
    writeShare(QStringLiteral("out/big.bin"), "old target");
    addSession(QStringLiteral("Out"), line(QStringLiteral("Put"), QStringLiteral("\\Outbox"),
                                           QStringLiteral("\\out"), QStringLiteral("Del")));
    params.entries = {entry(QStringLiteral("Out"), QStringLiteral("\\Outbox\\big.bin")),
                      entry(QStringLiteral("Out"), QStringLiteral("\\Outbox\\small.txt"))};

    EXPECT_EQ(runWhile([](QThread&) {}), 1);

    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed(QStringLiteral("\\Outbox\\big.bin"),
                                      sharePath(QStringLiteral("out/big.bin")), Full),
                           QStringLiteral("Delete file \\Outbox\\small.txt ?")}));
    EXPECT_EQ(watcher.events().last(), QStringLiteral("1 of 2 files are transferred successfully"));
    EXPECT_EQ(QFileInfo(native(QStringLiteral("\\Outbox\\big.bin"))).size(), TooBig);
    EXPECT_FALSE(deviceHas(QStringLiteral("\\Outbox\\small.txt")));
    EXPECT_EQ(readShare(QStringLiteral("out/big.bin")), "old target");
    EXPECT_EQ(readShare(QStringLiteral("out/small.txt")), "small");
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"big.bin", "small.txt"}));
}

TEST_F(DiskFullTest, AFullLocalFolderKeepsTheOldTargetAndTheNextFilesFit)
{
    SmallDisk disk(native(QStringLiteral("\\Inbox")), DiskMegabytes);
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    WriteBigFile(onShare(QStringLiteral("in/big.bin")), TooBig);
    writeShare(QStringLiteral("in/small.txt"), "small");
    writeDevice(QStringLiteral("\\Inbox\\big.bin"), "old target");
    QDir().mkpath(native(QStringLiteral("\\Sent")));
    addSession(QStringLiteral("In"),
               line(QStringLiteral("Get"), QStringLiteral("\\Inbox"), QStringLiteral("\\in"),
                    QStringLiteral("Move"), QStringLiteral("\\Sent")));
    params.entries = {entry(QStringLiteral("In"), sharePath(QStringLiteral("in/big.bin"))),
                      entry(QStringLiteral("In"), sharePath(QStringLiteral("in/small.txt")))};

    EXPECT_EQ(runWhile([](QThread&) {}), 1);

    // Move did not act on the file that did not fit.
    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed(sharePath(QStringLiteral("in/big.bin")),
                                      QStringLiteral("\\Inbox\\big.bin"), Full)}));
    EXPECT_EQ(watcher.events().last(), QStringLiteral("1 of 2 files are transferred successfully"));
    EXPECT_EQ(QFileInfo(onShare(QStringLiteral("in/big.bin"))).size(), TooBig);
    EXPECT_EQ(shareNames(QStringLiteral("in")), QStringList({"big.bin"}));
    EXPECT_EQ(readDevice(QStringLiteral("\\Sent\\small.txt")), "small");
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\big.bin")), "old target");
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\small.txt")), "small");
    EXPECT_EQ(QDir(native(QStringLiteral("\\Inbox"))).entryList(QDir::Files | QDir::Hidden),
              QStringList({"big.bin", "small.txt"}));
}

} // namespace
} // namespace tarvo::test
